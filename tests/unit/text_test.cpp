// The 8-bit text operations that the sett parser, the settings and the mode switch rely on.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "tartan/text.h"

TEST(Text, CountingSplittingAndParts) {
    EXPECT_EQ(textLength("\xE9\xFF"), 2);
    struct Count { const char *text, *pattern; int32_t count; };
    for (const Count& c : {Count{"aaaa", "aa", 2}, {"abc", "", 0}, {",,,", ",", 3}, {"abAB", "ab", 1}})
        EXPECT_EQ(countOccurrences(c.text, c.pattern), c.count) << c.text << " / " << c.pattern;
    // The nth field (0 counts as 1), cut at the first character of the separator only.
    struct Field { const char* text; int32_t n; const char *sep, *expected; };
    for (const Field& c : {Field{"a,b,c", 2, ",", "b"}, {"a,b,c", 4, ",", ""}, {"a,b", 0, ",", "a"},
                           {"a,b", 2, ",;", "b"}, {"a;b", 2, ",;", ""}, {"a,b", 1, "", "a,b"}, {",a", 1, ",", ""}})
        EXPECT_EQ(fieldAt(c.text, c.n, c.sep), c.expected) << c.text << " field " << c.n;
    // midText("abcdef", start, length), then leftText and rightText of `start` bytes.
    struct Part { int32_t start, length; const char* expected; };
    for (const Part& c : {Part{2, 3, "bcd|ab|ef"}, {0, 2, "ab||"}, {-9, 2, "ab||"}, {5, 10, "ef|abcde|bcdef"},
                          {7, 1, "|abcdef|abcdef"}, {2, -1, "|ab|ef"}, {INT32_MAX, INT32_MAX, "|abcdef|abcdef"}})
        EXPECT_EQ(midText("abcdef", c.start, c.length) + "|" + leftText("abcdef", c.start) + "|" +
                      rightText("abcdef", c.start), c.expected) << c.start << "," << c.length;
}

TEST(Text, NumbersBytesAndCase) {
    // Leading spaces and one sign, then digits; wrapping modulo 2^32.
    struct Case { const char* text; int32_t expected; };
    for (const Case& c : {Case{"  42", 42}, {"\t42", 0}, {" -3x", -3}, {"+17", 17}, {"- 3", 0}, {"--3", 0}, {"", 0},
                          {"2147483648", INT32_MIN}, {"-4294967297", -1}})
        EXPECT_EQ(parseInteger(c.text), c.expected) << '"' << c.text << '"';
    EXPECT_EQ(decimalText(60) + decimalText(-1) + decimalText(INT32_MIN), "60-1-2147483648");
    EXPECT_TRUE(charCode("") == 0 && charCode("\xFF" "a") == 255);
    // Bytes 97 to 122 and 224 to 255 drop by 32; every other byte stays.
    for (int code = 1; code < 256; ++code)
        EXPECT_EQ(charCode(upperCaseText(std::string(1, static_cast<char>(code)))),
                  (code >= 97 && code <= 122) || code >= 224 ? code - 32 : code) << "byte " << code;
    // Every copy, ASCII letters of either case alike, left to right without overlap.
    struct Removal { const char *text, *pattern, *expected; };
    for (const Removal& c : {Removal{"Sabs", "s", "ab"}, {"aaa", "aa", "a"}, {"abc", "", ""}, {"ab", "abc", "ab"},
                             {"\xE9\xC9", "\xE9", "\xC9"}})
        EXPECT_EQ(removeOccurrences(c.text, c.pattern), c.expected) << c.text;
}
