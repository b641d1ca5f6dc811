// The 8-bit text operations that the sett parser and the mode switch rely on.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "tartan/text.h"

namespace {

TEST(TextLength, CountsBytesIncludingHighOnes) {
    EXPECT_EQ(textLength(""), 0);
    EXPECT_EQ(textLength("3a,1b"), 5);
    EXPECT_EQ(textLength("\xE9\xFF"), 2);
}

TEST(CountOccurrences, NonOverlappingFromTheLeft) {
    struct Case { const char* text; const char* pattern; int32_t expected; };
    const Case cases[] = {
        {"aaaa", "aa", 2}, {"aaa", "aa", 1},   {"0,255,16", ",", 2}, {"abc", "", 0},
        {"", ",", 0},      {"abc", "abcd", 0}, {",,,", ",", 3},      {"abAB", "ab", 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(countOccurrences(c.text, c.pattern), c.expected) << c.text << " / " << c.pattern;
}

TEST(FieldAt, SplitsAtFirstCharacterOfSeparator) {
    struct Case { const char* text; int32_t n; const char* sep; const char* expected; };
    const Case cases[] = {
        {"3a,1b,7c", 1, ",", "3a"}, {"3a,1b,7c", 2, ",", "1b"}, {"3a,1b,7c", 3, ",", "7c"},
        {"3a,1b,7c", 4, ",", ""},   {"3a,1b,7c", 0, ",", "3a"}, {"3a,1b,7c", -5, ",", "3a"},
        {"3a,1b", 2, ",;", "1b"},   {"3a;1b", 2, ",;", ""},     {"3a,1b", 1, "", "3a,1b"},
        {"", 1, ",", ""},           {"", 1, "", ""},            {"a,,b", 2, ",", ""},
        {"a,,b", 3, ",", "b"},      {"a,", 2, ",", ""},         {"a,", 3, ",", ""},
        {",a", 1, ",", ""},         {"abc", 1, ",", "abc"},     {"abc", 2, ",", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(fieldAt(c.text, c.n, c.sep), c.expected)
            << '"' << c.text << "\" field " << c.n << " sep \"" << c.sep << '"';
}

TEST(MidText, ClampsStartAndLength) {
    struct Case { const char* text; int32_t start; int32_t length; const char* expected; };
    const Case cases[] = {
        {"abcdef", 1, 3, "abc"},  {"abcdef", 2, 3, "bcd"}, {"abcdef", 0, 2, "ab"},
        {"abcdef", -9, 2, "ab"},  {"abcdef", 5, 10, "ef"}, {"abcdef", 6, 1, "f"},
        {"abcdef", 7, 1, ""},     {"abcdef", 100, 5, ""},  {"abcdef", 2, 0, ""},
        {"abcdef", 2, -1, ""},    {"", 1, 1, ""},          {"abc", INT32_MAX, INT32_MAX, ""},
        {"abc", 1, INT32_MAX, "abc"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(midText(c.text, c.start, c.length), c.expected)
            << '"' << c.text << "\" from " << c.start << " length " << c.length;
}

TEST(LeftAndRightText, TakeAtMostNBytes) {
    struct Case { const char* text; int32_t n; const char* left; const char* right; };
    const Case cases[] = {
        {"abcdef", 2, "ab", "ef"}, {"abcdef", 6, "abcdef", "abcdef"},
        {"abcdef", 9, "abcdef", "abcdef"}, {"abcdef", 0, "", ""}, {"abcdef", -1, "", ""},
        {"", 3, "", ""}, {"12b", 1, "1", "b"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(leftText(c.text, c.n), c.left) << c.text << ' ' << c.n;
        EXPECT_EQ(rightText(c.text, c.n), c.right) << c.text << ' ' << c.n;
    }
}

TEST(ParseInteger, ReadsLeadingDecimalNumber) {
    struct Case { const char* text; int32_t expected; };
    const Case cases[] = {
        {"255", 255},          {"  42", 42},        {"\t42", 0},          {" \t42", 0},
        {"-17", -17},          {"+17", 17},         {" -3x", -3},         {"- 3", 0},
        {"--3", 0},            {"+-3", 0},          {"12b", 12},          {"12 34", 12},
        {"", 0},               {"abc", 0},          {"-", 0},             {"007", 7},
        {"16777215", 16777215},
        {"2147483647", INT32_MAX},  {"2147483648", INT32_MIN}, {"-2147483648", INT32_MIN},
        {"4294967295", -1},    {"4294967296", 0},   {"4294967297", 1},    {"-4294967297", -1},
        {"99999999999", 1215752191},  // 99999999999 mod 2^32
    };
    for (const Case& c : cases) EXPECT_EQ(parseInteger(c.text), c.expected) << '"' << c.text << '"';
}

TEST(CharCode, FirstByteAsUnsigned) {
    EXPECT_EQ(charCode(""), 0);
    EXPECT_EQ(charCode("a"), 97);
    EXPECT_EQ(charCode("ba"), 98);
    EXPECT_EQ(charCode("\x80"), 128);
    EXPECT_EQ(charCode("\xFF"), 255);
    EXPECT_EQ(charCode(std::string(1, '\0')), 0);
}

TEST(UpperCaseText, LowersAsciiLettersAndTopBlockOnly) {
    EXPECT_EQ(upperCaseText("/s:123 az{`"), "/S:123 AZ{`");
    EXPECT_EQ(upperCaseText("ABC"), "ABC");
    EXPECT_EQ(upperCaseText(""), "");
    // Every byte value: 97..122 and 224..255 drop by 32, the rest stay.
    for (int code = 1; code < 256; ++code) {
        const bool lowered = (code >= 97 && code <= 122) || code >= 224;
        const std::string result = upperCaseText(std::string(1, static_cast<char>(code)));
        EXPECT_EQ(charCode(result), lowered ? code - 32 : code) << "byte " << code;
    }
}

TEST(RemoveOccurrences, SkipsMatchesIgnoringAsciiCase) {
    struct Case { const char* text; const char* pattern; const char* expected; };
    const Case cases[] = {
        {"/S", "/", "S"},        {"//S", "/", "S"},       {"S", "S", ""},
        {"SS", "S", ""},         {"sS", "S", ""},         {"Sabs", "s", "ab"},
        {"abcABCx", "abc", "x"}, {"aaa", "aa", "a"},      {"abc", "", ""},
        {"", "a", ""},           {"abc", "x", "abc"},     {"ab", "abc", "ab"},
        {"\xE9\xC9", "\xE9", "\xC9"},  // case folding stops at ASCII
    };
    for (const Case& c : cases)
        EXPECT_EQ(removeOccurrences(c.text, c.pattern), c.expected) << c.text << " / " << c.pattern;
}

TEST(DecimalText, WritesLikePercentLd) {
    EXPECT_EQ(decimalText(0), "0");
    EXPECT_EQ(decimalText(60), "60");
    EXPECT_EQ(decimalText(-1), "-1");
    EXPECT_EQ(decimalText(INT32_MIN), "-2147483648");
    EXPECT_EQ(parseInteger(decimalText(INT32_MAX)), INT32_MAX);
}

}  // namespace
