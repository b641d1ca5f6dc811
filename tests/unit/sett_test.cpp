// Scrambling and parsing of the palette, warp and weft strings.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tartan/sett.h"

namespace {

using Colours = std::vector<int32_t>;

TEST(UnscrambleSett, InvertsNotXorWithRepeatingKey) {
    // NOT ('a' XOR 'a') = 0xFF; NOT ('b' XOR 'a') = NOT 3 = 0xFC.
    EXPECT_EQ(unscrambleSett("ab", "a"), "\xFF\xFC");
    // The key "ab" repeats from its first byte: c^a = 2, d^b = 6.
    EXPECT_EQ(unscrambleSett("abcd", "ab"), "\xFF\xFF\xFD\xF9");
    // A key longer than the text uses only its first bytes.
    EXPECT_EQ(unscrambleSett("ab", "abXYZ"), "\xFF\xFF");
    EXPECT_EQ(unscrambleSett("", "key"), "");
    EXPECT_EQ(unscrambleSett("3a,1b", ""), "3a,1b");
    EXPECT_EQ(unscrambleSett("", ""), "");
}

TEST(UnscrambleSett, AppliedTwiceGivesBackTheText) {
    std::string everyByte;
    for (int code = 0; code < 256; ++code) everyByte += static_cast<char>(code);
    const std::string texts[] = {"0,255", "3a,1b", "x", everyByte};
    const std::string keys[] = {"Abercrombie D", "k", "\xFF\x80", everyByte};
    for (const std::string& text : texts)
        for (const std::string& key : keys) {
            const std::string scrambled = unscrambleSett(text, key);
            EXPECT_EQ(scrambled.size(), text.size());
            EXPECT_EQ(unscrambleSett(scrambled, key), text) << "key " << key;
        }
}

TEST(UnscrambleSett, SevenBitInputGivesHighNonZeroBytes) {
    // Scrambled catalogue strings must stay ordinary zero-terminated texts.
    for (int t = 1; t < 128; ++t)
        for (int k = 1; k < 128; ++k) {
            const std::string out =
                unscrambleSett(std::string(1, static_cast<char>(t)), std::string(1, static_cast<char>(k)));
            ASSERT_EQ(out.size(), 1u);
            const int byte = static_cast<unsigned char>(out[0]);
            ASSERT_GT(byte, 127) << t << " ^ " << k;
        }
}

TEST(ParsePalette, OneEntryPerFieldPlusAFinalZero) {
    struct Case { const char* text; Colours expected; };
    const Case cases[] = {
        {"0,255", {0, 255, 0}},
        {"16777215", {16777215, 0}},
        {"", {0, 0}},
        {"1,,3,", {1, 0, 3, 0, 0}},
        {"12b, 7,-1", {12, 7, -1, 0}},
        {"x,4294967297", {0, 1, 0}},
    };
    for (const Case& c : cases) EXPECT_EQ(parsePalette(c.text), c.expected) << '"' << c.text << '"';
}

TEST(ParseThreadSett, FormatExample) {
    EXPECT_EQ(parseThreadSett("3a,1b", parsePalette("0,255"), 4), (Colours{0, 0, 0, 255, 0, 0}));
}

TEST(ParseThreadSett, RunsAndMalformedInput) {
    const Palette palette{10, 20, 30, 0};  // as parsePalette("10,20,30") gives
    struct Case { const char* text; int16_t count; Colours expected; };
    const Case cases[] = {
        {"2a,1b,1c", 4, {10, 10, 20, 30, 0, 0}},
        {"1a, 2b,  1c", 4, {10, 20, 20, 30, 0, 0}},     // spaces before counts
        {"1 a,2 b", 3, {10, 20, 20, 0, 0}},             // space between count and letter
        {"1a,1d,1a", 3, {10, 0, 10, 0, 0}},             // one past the palette: the final 0
        {"1a", 3, {10, 0, 0, 0, 0}},                    // fewer threads than the count
        {"", 2, {0, 0, 0, 0}},
        {",,1b,", 2, {20, 0, 0, 0}},                    // empty fields add nothing
        {"b,1c", 2, {30, 0, 0, 0}},                     // no digits: no threads
        {"0a,-3a,1c", 2, {30, 0, 0, 0}},                // zero and negative counts
        {"40000a,1b", 2, {20, 0, 0, 0}},                // 40000 is negative in 16 bits
        {"65536a,1b", 2, {20, 0, 0, 0}},                // 0 in 16 bits
        {"65537a,1b", 2, {10, 20, 0, 0}},               // 1 in 16 bits
        {"3a,3b", 2, {10, 10, 10, 20}},                 // surplus kept up to count + 2
        {"30000a,1b", 10, Colours(12, 10)},             // then dropped
        {"9c", 0, {30, 30}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(parseThreadSett(c.text, palette, c.count), c.expected) << '"' << c.text << '"';
}

TEST(ParseThreadSett, LettersOutsideThePaletteWeaveBlack) {
    const Palette palette{10, 20, 30, 0};
    // Upper case, a digit, punctuation, a space, high bytes, letters far beyond the table.
    const char* const outside[] = {"A", "Z", "0", "9", "{", "`", " ", "\x80", "\xE1", "\xFF", "z", "e"};
    for (const char* letter : outside) {
        const std::string text = std::string("2") + letter + ",1b";
        EXPECT_EQ(parseThreadSett(text, palette, 3), (Colours{0, 0, 20, 0, 0})) << "letter code "
            << static_cast<int>(static_cast<unsigned char>(letter[0]));
    }
    // An empty palette has no entry at all, not even for "a".
    EXPECT_EQ(parseThreadSett("2a", Palette{}, 2), (Colours{0, 0, 0, 0}));
}

TEST(ParseThreadSett, CarriesNothingFromOneCallToTheNext) {
    const Palette palette = parsePalette("255,65280,16711680");
    const std::string sett = "2c,3a,1b,2a";
    const ThreadColours warp = parseThreadSett(sett, palette, 8);
    parseThreadSett("9b,9c", palette, 20);
    const ThreadColours weft = parseThreadSett(sett, palette, 8);
    EXPECT_EQ(warp, weft);
    EXPECT_EQ(warp, (Colours{16711680, 16711680, 255, 255, 255, 65280, 255, 255, 0, 0}));
}

}  // namespace
