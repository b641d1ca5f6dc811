// Splitting the command line the way Windows hosts write it, and the mode switch.
#include <gtest/gtest.h>

#include <string>

#include "startup/program.h"

TEST(CommandLine, ArgumentsAfterTheProgramPathAndTheModeTheFirstOneChooses) {
    struct Case { std::string line; int index; std::string expected; };
    for (const Case& c : {Case{"C:\\Saver\\Plaidwick.scr /s", 0, "/s"}, {"C:\\Saver\\Plaidwick.scr /s", 1, ""},
                          {"\"C:\\Program Files\\Plaidwick.scr\" /p 4711", 1, "4711"}, {"\"\" /s", 0, "/s"},
                          {"prog \"two words\" next", 0, "two words"}, {"prog \"two words\" next", 1, "next"},
                          {"prog \"\" /s", 0, ""}, {"prog \"runs to the end", 0, "runs to the end"}, {"", 0, ""},
                          {"prog \"/s\"x", 1, "x"}, {"prog ab\"c d\"", 1, "d\""},  // a quote inside groups nothing
                          {"prog\t/s", 0, ""}, {"prog \t/s", 0, "\t/s"}, {"   prog    /p    123   ", 1, "123"}})
        EXPECT_EQ(commandLineArgument(c.line, c.index), c.expected) << "[" << c.line << "] " << c.index;
    struct Mode { const char* argument; SaverMode expected; };
    for (const Mode& c : {Mode{"/s", SaverMode::show}, {"-S:123", SaverMode::show}, {"xs", SaverMode::show},
                          {"//s", SaverMode::show}, {"/cs", SaverMode::configure}, {"/C:1234", SaverMode::configure},
                          {"/p", SaverMode::preview}, {"/A", SaverMode::password}, {"s", SaverMode::none},
                          {"sS", SaverMode::none}, {"/x", SaverMode::none}, {"/", SaverMode::none},
                          {"", SaverMode::none}, {"/ s", SaverMode::none}, {"/\xF3", SaverMode::none}})
        EXPECT_EQ(modeFromArgument(c.argument), c.expected) << '"' << c.argument << '"';
}
