// The folder part of the program's file name, as stored in "Install Path".
#include <gtest/gtest.h>

#include <string>

#include "startup/settings.h"

namespace {

TEST(FolderOfPath, KeepsUpToTheLastSeparator) {
    struct Case { const char* path; char separator; const char* expected; };
    const Case cases[] = {
        {"C:\\Windows\\System32\\Plaidwick.scr", '\\', "C:\\Windows\\System32\\"},
        {"\"C:\\Program Files\\Plaidwick.scr\"", '\\', "C:\\Program Files\\"},
        {"\"C:\\A\\B\\p.scr", '\\', "C:\\A\\B\\"},
        {"C:\\Saver\\", '\\', "C:\\Saver\\"},
        {"Plaidwick.scr", '\\', ""},
        {"\"Plaidwick.scr\"", '\\', ""},
        {"", '\\', ""},
        {"\\", '\\', "\\"},
        {"C:\\odd\"name\\p.scr", '\\', "C:\\odd"},     // a quote left inside cuts the folder
        {"\"\"C:\\x\\p.scr", '\\', ""},               // only one leading quote is skipped
        {"/usr/local/bin/plaidwick", '/', "/usr/local/bin/"},
        {"/usr/local/bin/", '/', "/usr/local/bin/"},
        {"/plaidwick", '/', "/"},
        {"plaidwick", '/', ""},
        {"\"/opt/plaid wick/bin/plaidwick\"", '/', "/opt/plaid wick/bin/"},
        {"/a/b\"c/d", '/', "/a/b"},
        {"C:\\dir\\p.scr", '/', ""},                   // the other separator does not count
        {"/home/u/dir\\x", '\\', "/home/u/dir\\"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(folderOfPath(c.path, c.separator), c.expected) << c.path;
}

}  // namespace
