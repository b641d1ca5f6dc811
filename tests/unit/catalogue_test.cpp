// The built-in catalogue: the names in their order, the records filled with
// their own copies, and their sett texts unscrambled.
#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "tartan/catalogue.h"
#include "tartan/sett.h"

// The 272 names in catalogue order, separated by '|' within a line and by the line breaks.
static const char* const expectedNames = R"(Abercrombie D|Abercrombie|Anderson P|Anderson|Arbuthnott|Armstrong|Austin WI
Austin|Baird|Balmoral|Barclay Dress|Barclay Hunting|Borthwick D|Borthwick|Boyd|Breadalbane Fencibles|Brodie 1850
Brodie Dress|Brodie Hunting|Brodie|Bruce|Buchan D|Buchanan A|Buchanan D|Buchanan VS|Cameron Clan D|Cameron Hunting
Cameron of Erracht|Cameron of Locheil|Cameron|Campbell of Argyll|Campbell of Breadalbane|Campbell of Cawdor
Campbell of Loudon|Campbell|Carnegie|Chisholm D|Chisholm VS|Chisholm|Clan Chattan D|Clark|Clergy|Cochrane LC|Cochrane
Cockburn|Colqhoun VS|Colquhoun|Comyn|Crawford|Cumming D|Cumming LO|Cumming SM|Cumming VS|Cunningham D|Cunningham|Dalzell
Davidson Double|Davidson of Tulloch|Davidson|Douglas VS|Douglas|Dougles Green|Drummond C|Drummond of Perth|Drummond VS
Dunbar|Duncan|Dundas|Eglinton|Elliott|Erskine|Farquharson|Ferguson of Balquhidder|Fergusson|Fletcher C|Fletcher
Forbes LC|Forbes VS|Forbes|Fraser VS|Gordon VS|Gordon|Gow|Graham of Menteith|Graham of Montrose|Graham W|Grant D
Grant of Monymusk|Grant|Gunn VS|Gunn|Hamilton|Hay and Leith|Henderson|Home|Hunter|Huntly Old|Innes D|Johnston
Keith and Austin|Kennedy|Kerr Hunting|Kerr|Kincaid|Lamont|Leslie Dress|Leslie Hunting|Lindsay|Livingston
Logan and MacLennan|MacAlister|MacAlpine A|MacAlpine D A|MacArthur|MacAulay Hunting|MacBain|MacBean|MacBeth|MacCallum W
MacCallum|MacColl|MacDonald Lord of the Isles Hunting|MacDonald Lord of the Isles|MacDonald of Clanranald D
MacDonald of Clanranald|MacDonald of Sleat|MacDonald of Staffa|MacDonald|MacDonell of Glengarry D|MacDonell of Glengarry
MacDonell of Keppoch|MacDonnald of ye Ylis|MacDougall VS|MacDuff|MacEwan|MacFarlane VS|MacFarlane|MacGillivray|MacGregor
MacIain|MacInnes|MacIntyre LC|MacIntyre|MacIver|MacKay VS|MacKay|MacKeane|MacKenzie|MacKinlay|MacKinnon Hunting
MacKinnon|MacKintosh D|MacKintosh Hunting|MacKintosh|MacLachlan VS|MacLachlan W|MacLachlan|MacLaine of Lochbuie Hunting
MacLaine of Lochbuie|MacLaren|MacLean VS|MacLean|MacLeod of Lewis|MacLeod|MacMillan Ancient A|MacMillan Hunting
MacMillan|MacNab VS|MacNab WI 1|MacNab WI 2|MacNab|MacNaughten|MacNeil|MacNicol D|MacNicol Hunting|MacNicol
MacNiel of Barra|MacNiel of Colonsay|MacPherson Dress|MacPherson Hunting|MacPherson|MacPhie|MacQuarie|MacQuarrie LO
MacQuarrie SM|MacQueen|MacRae|MacTavish|MacThomas LC|MacThomas|Maitland|Malcolm A|Matheson N|Matheson|Maxwell|Melville
Menzies Dress|Menzies Hunting|Menzies VS|Menzies|Mitchell|Moncreiffe D|Moncreiffe|Montgomery|Montrose|Morrison LC
Morrison|Mowat|Munro VS|Munro|Murray of Atholl|Murray|Napier|Ogilvy D|Ogilvy Hunting|Ogilvy VS|Ogilvy|Oliphant|Priest
Prince Charles Cloak|Ramsay|Rob Roy|Robertson|Rose Hunting|Rose VS|Rose|Ross Hunting|Royal Canadian Air Force|Ruthven
Scott|Scrymgeour|Seton|Shepherd|Sinclair Dress|Sinclair Hunting|Sinclair|Skene D|Skene N|Skene|Stewart Dress
Stewart Hunting D|Stewart Hunting|Stewart of Appin|Stewart of Atholl|Stewart Old|Stewart Royal|Stuart of Bute|Sutherland
Urquhart D|Urquhart L|Wallace|Wemyss|Black Watch|Clan Chattan|Fraser|Grant VS|Hay|Innes|MacAlister CC|MacDougall D
MacFie|MacPherson Of Cluny|MacQuarrie 1815|Merchiston Castle School|Murray of Tullibardine|Rattay|Robertson D
Robertson of Kindeace|Ross|Shaw|Stewart Hunting Early|Urquhart)";

TEST(Catalogue, NamesInOrder) {
    std::string names;
    for (const StoredTartan& t : storedTartans) names += std::string(names.empty() ? "" : "|") + t.name;
    EXPECT_EQ(names, std::regex_replace(expectedNames, std::regex("\r?\n"), "|"));
}

TEST(Catalogue, BuildCopiesTheRecordsAndUnscramblingGivesThePlainTexts) {
    buildCatalogue();
    const TartanCatalogue built = tartanCatalogue();
    // Unscrambling works on the records' own copies: the stored texts stay
    // scrambled, and a warp and weft stored as one text are each unscrambled once.
    unscrambleCatalogue();
    for (int i = 0; i < tartanCount; ++i) {
        const StoredTartan& s = storedTartans[i];
        const TartanRecord &b = built[i], &r = tartanCatalogue()[i];
        EXPECT_TRUE(b.name == s.name && b.warpCount == s.warpCount && b.weftCount == s.weftCount &&
                    b.paletteSett == s.paletteSett && b.warpSett == s.warpSett && b.weftSett == s.weftSett) << s.name;
        const auto plain = [&](const std::string& text) { return unscrambleSett(text, s.name); };
        EXPECT_TRUE(plain(r.paletteSett) == s.paletteSett && plain(r.warpSett) == s.warpSett &&
                    plain(r.weftSett) == s.weftSett) << s.name;
    }
}
