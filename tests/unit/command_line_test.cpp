// Splitting the command line the way Windows hosts write it, and the mode switch.
#include <gtest/gtest.h>

#include <string>

#include "startup/program.h"

TEST(CommandLine, ArgumentsAfterTheProgramPathAndTheModeTheFirstOneChooses) {
    // Only spaces separate; a quote groups only at the start of an argument (in ab"c d" the next one is d").
    struct Case { std::string line; int index; std::string expected; };
    for (const Case& c : {Case{"C:\\Saver\\Plaidwick.scr /s", 0, "/s"}, {"C:\\Saver\\Plaidwick.scr /s", 1, ""},
                          {"\"C:\\Program Files\\Plaidwick.scr\" /p 4711", 1, "4711"}, {"prog ab\"c d\"", 1, "d\""},
                          {"prog \"two words\" next", 0, "two words"}, {"prog \"/s\"x", 1, "x"}, {"\"\" /s", 0, "/s"},
                          {"prog \"runs to the end", 0, "runs to the end"}, {"prog \"\" /s", 0, ""},
                          {"   prog    /p    123   ", 1, "123"}, {"prog\t/s", 0, ""}, {"prog \t/s", 0, "\t/s"}})
        EXPECT_EQ(commandLineArgument(c.line, c.index), c.expected) << "[" << c.line << "] " << c.index;
    // Every copy of the first character goes, case aside; what then comes first chooses.
    const SaverMode show = SaverMode::show, none = SaverMode::none;
    struct Mode { const char* argument; SaverMode expected; };
    for (const Mode& c : {Mode{"/s", show}, {"-S:123", show}, {"xs", show}, {"//s", show}, {"/p", SaverMode::preview},
                          {"/cs", SaverMode::configure}, {"/A", SaverMode::password}, {"s", none}, {"sS", none},
                          {"/x", none}, {"/", none}, {"", none}, {"/ s", none}, {"/\xF3", none}})
        EXPECT_EQ(modeFromArgument(c.argument), c.expected) << '"' << c.argument << '"';
}
