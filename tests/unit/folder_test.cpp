// The folder part of the program's file name, as stored in "Install Path".
#include <gtest/gtest.h>

#include "startup/settings.h"

TEST(FolderOfPath, KeepsUpToTheLastSeparator) {
    struct Case { const char* path; char separator; const char* expected; };
    for (const Case& c : {Case{"C:\\Windows\\System32\\Plaidwick.scr", '\\', "C:\\Windows\\System32\\"},
                          {"\"C:\\Program Files\\Plaidwick.scr\"", '\\', "C:\\Program Files\\"},
                          {"Plaidwick.scr", '\\', ""}, {"/usr/local/bin/plaidwick", '/', "/usr/local/bin/"},
                          {"C:\\odd\"name\\p.scr", '\\', "C:\\odd"},  // a quote left inside cuts the folder
                          {"\"\"C:\\x\\p.scr", '\\', ""},            // only one leading quote is skipped
                          {"C:\\dir\\p.scr", '/', ""}})               // the other separator does not count
        EXPECT_EQ(folderOfPath(c.path, c.separator), c.expected) << c.path;
}
