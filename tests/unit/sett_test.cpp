// Scrambling and parsing of the palette, warp and weft strings.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tartan/sett.h"

using Colours = std::vector<int32_t>;

TEST(Sett, UnscramblingIsNotXorWithTheRepeatingKeyAndItsOwnInverse) {
    // NOT ('a' XOR 'a') = 0xFF; the key "ab" repeats: NOT ('c' XOR 'a') = 0xFD, NOT ('d' XOR 'b') = 0xF9.
    EXPECT_EQ(unscrambleSett("abcd", "ab") + unscrambleSett("ab", "abXYZ") + unscrambleSett("3a", ""),
              "\xFF\xFF\xFD\xF9\xFF\xFF" "3a");
    std::string everyByte;
    for (int code = 0; code < 256; ++code) everyByte += static_cast<char>(code);
    for (const std::string key : {"Abercrombie D", "\xFF\x80", "k"})
        EXPECT_EQ(unscrambleSett(unscrambleSett(everyByte, key), key), everyByte);
}

TEST(Sett, ParsingPalettesAndThreads) {
    struct Palettes { const char* text; Colours expected; };  // one entry a field, then a final 0
    for (const Palettes& c : {Palettes{"0,255", {0, 255, 0}}, {"", {0, 0}}, {"1,,3,", {1, 0, 3, 0, 0}},
                              {"12b, 7,-1", {12, 7, -1, 0}}, {"x,4294967297", {0, 1, 0}}})
        EXPECT_EQ(parsePalette(c.text), c.expected) << '"' << c.text << '"';
    const Palette palette{10, 20, 30, 0};  // as parsePalette("10,20,30") gives
    // Runs of a count and a palette letter; the colours have room for the count + 2 threads, the rest 0.
    struct Threads { const char* text; int16_t count; Colours expected; };
    for (const Threads& c : {
             // Spaces before counts and between count and letter; one past the palette gives its final 0.
             Threads{"2a,1b,1c", 4, {10, 10, 20, 30, 0, 0}}, {"1a, 2b,  1c", 4, {10, 20, 20, 30, 0, 0}},
             {"1 a,2 b", 3, {10, 20, 20, 0, 0}}, {"1a,1d,1a", 3, {10, 0, 10, 0, 0}},
             // Empty fields add nothing (fewer threads); no digits, zero and negative counts add none.
             {",,1a,", 3, {10, 0, 0, 0, 0}}, {"b,0a,-3a,1c", 2, {30, 0, 0, 0}},
             // Counts are taken in 16 bits (40000 is negative, 65536 is 0, 65537 is 1); a surplus is kept up to
             // count + 2, then dropped; letters outside the palette weave black.
             {"40000a,65536a,65537a,1b", 2, {10, 20, 0, 0}}, {"3a,3b", 2, {10, 10, 10, 20}},
             {"30000a,1b", 10, Colours(12, 10)}, {"2A,1{,1\xE1,1z,1b", 6, {0, 0, 0, 0, 0, 20, 0, 0}}})
        EXPECT_EQ(parseThreadSett(c.text, palette, c.count), c.expected) << '"' << c.text << '"';
}
