// Which help viewer gets a help file, the locator it is given, and closing
// the viewer of the last call.
#include <string>
#include <vector>

#include "config/help.h"
#include "unit_support.h"

using Help = StubTest;

TEST_F(Help, OpenRoutesByTheFileAndCloseClosesTheLastKind) {
    // A name longer than ".hlp" ending in it, any case, goes to the classic viewer; others need HTML Help.
    const HelpLibrary html = HelpLibrary::withHtmlHelp, noEntry = HelpLibrary::withoutHtmlHelp;
    using Texts = std::vector<std::string>;
    struct Case { HelpLibrary library; Texts files; std::string topic; intptr_t result; Texts calls; };
    for (const Case& c : {
             Case{html, {"/p/Plaidwick.chm"}, "Support.htm", 1, {"html /p/Plaidwick.chm::/Support.htm", "close html"}},
             {html, {"/p/Plaidwick.chm"}, "", 1, {"html /p/Plaidwick.chm", "close html"}},
             {html, {".hlp"}, "t", 1, {"html .hlp::/t", "close html"}}, {noEntry, {"b.chm"}, "t", 0, {}},
             {html, {"a.hlp", "b.chm"}, "t", 1, {"classic a.hlp|t", "html b.chm::/t", "close html"}},
             {html, {"b.chm", "a.Hlp"}, "t", 0, {"html b.chm::/t", "classic a.Hlp|t", "close classic"}},
             {noEntry, {"a.hlp"}, "t", 0, {"classic a.hlp|t", "close classic"}},
             {HelpLibrary::none, {"b.chm", "a.hlp"}, "t", 0, {"classic a.hlp|t"}}}) {
        stub::reset();
        stub::backend().help = c.library;
        intptr_t result = -1;
        for (const std::string& file : c.files) result = openHelp(file, c.topic);
        closeHelp();
        EXPECT_TRUE(result == c.result && stub::backend().helpCalls == c.calls) << c.files.back() << " " << c.topic;
    }
}
