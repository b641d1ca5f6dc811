// Splitting the command line the way Windows hosts write it, and the mode switch.
#include <gtest/gtest.h>

#include <string>

#include "startup/program.h"

namespace {

TEST(CommandLineArgument, SplitsAfterTheProgramPath) {
    struct Case { std::string line; int index; std::string expected; };
    const Case cases[] = {
        {"C:\\Saver\\Plaidwick.scr /s", 0, "/s"},
        {"C:\\Saver\\Plaidwick.scr /s", 1, ""},
        {"C:\\Saver\\Plaidwick.scr", 0, ""},
        {"", 0, ""},
        {"\"C:\\Program Files\\Plaidwick.scr\" /c:1234", 0, "/c:1234"},
        {"\"C:\\Program Files\\Plaidwick.scr\" /p 4711", 1, "4711"},
        {"prog \"/s\"", 0, "/s"},
        {"prog \"two words\" next", 0, "two words"},
        {"prog \"two words\" next", 1, "next"},
        {"prog \"\" /s", 0, ""},
        {"prog \"\" /s", 1, "/s"},
        {"prog \"runs to the end", 0, "runs to the end"},
        {"prog \"/s\"x", 0, "/s"},        // the walk resumes right after the closing quote
        {"prog \"/s\"x", 1, "x"},
        {"prog ab\"c d\"", 0, "ab\"c"},   // a quote inside a token groups nothing
        {"prog ab\"c d\"", 1, "d\""},
        {"prog a\tb c", 0, "a\tb"},        // tabs are not separators
        {"prog\t/s", 0, ""},
        {"prog \t/s", 0, "\t/s"},
        {"prog \xE9t\xE9 \xFF", 0, "\xE9t\xE9"},
        {"prog \xE9t\xE9 \xFF", 1, "\xFF"},
        {"   prog    /p    123   ", 0, "/p"},
        {"   prog    /p    123   ", 1, "123"},
        {"   prog    /p    123   ", 2, ""},
        {"\"\" /s", 0, "/s"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(commandLineArgument(c.line, c.index), c.expected)
            << "line [" << c.line << "] argument " << c.index;
}

TEST(CommandLineArgument, LongAndManyArguments) {
    const std::string longArgument(8000, 'k');
    EXPECT_EQ(commandLineArgument("prog " + longArgument + " /s", 0), longArgument);
    EXPECT_EQ(commandLineArgument("prog " + longArgument + " /s", 1), "/s");
    EXPECT_EQ(commandLineArgument("prog \"" + longArgument, 0), longArgument);

    std::string line = "prog";
    for (int i = 0; i < 500; ++i) line += (i % 2 ? " " : "  \"") + std::to_string(i) + (i % 2 ? "" : "\"");
    for (int i = 0; i < 500; ++i) EXPECT_EQ(commandLineArgument(line, i), std::to_string(i));
    EXPECT_EQ(commandLineArgument(line, 500), "");
}

TEST(ModeFromArgument, FirstCharacterIsTheSwitch) {
    struct Case { const char* argument; SaverMode expected; };
    const Case cases[] = {
        {"/s", SaverMode::show},        {"/S", SaverMode::show},       {"-s", SaverMode::show},
        {"/s:123", SaverMode::show},    {"/c", SaverMode::configure},  {"/C:1234", SaverMode::configure},
        {"/c:1234", SaverMode::configure}, {"/p", SaverMode::preview}, {"/a", SaverMode::password},
        {"/P", SaverMode::preview},     {"/A", SaverMode::password},   {"xs", SaverMode::show},
        {"s", SaverMode::none},         {"S", SaverMode::none},        {"ss", SaverMode::none},
        {"sS", SaverMode::none},        {"//s", SaverMode::show},      {"/s/", SaverMode::show},
        {"/sc", SaverMode::show},       {"/cs", SaverMode::configure}, {"/x", SaverMode::none},
        {"/", SaverMode::none},         {"", SaverMode::none},         {"/ s", SaverMode::none},
        {"/\xF3", SaverMode::none},     // 0xF3 upper-cases to 0xD3, not to an ASCII letter
    };
    for (const Case& c : cases)
        EXPECT_EQ(modeFromArgument(c.argument), c.expected) << '"' << c.argument << '"';
}

TEST(ModeFromArgument, QuotedFirstArgumentCountsAsUnquoted) {
    EXPECT_EQ(modeFromArgument(commandLineArgument("prog \"/s\"", 0)), SaverMode::show);
    EXPECT_EQ(modeFromArgument(commandLineArgument("\"C:\\A B\\p.scr\" \"-C\" 77", 0)),
              SaverMode::configure);
    // Only the first argument counts: a valid second one does not rescue it.
    EXPECT_EQ(modeFromArgument(commandLineArgument("prog /x /s", 0)), SaverMode::none);
}

}  // namespace
