// The built-in catalogue: names, thread counts, stored texts and their plain format.
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "tartan/catalogue.h"
#include "tartan/sett.h"

namespace {

const char* const expectedNames[tartanCount] = {
    "Abercrombie D", "Abercrombie", "Anderson P", "Anderson", "Arbuthnott", "Armstrong",
    "Austin WI", "Austin", "Baird", "Balmoral", "Barclay Dress", "Barclay Hunting", "Borthwick D",
    "Borthwick", "Boyd", "Breadalbane Fencibles", "Brodie 1850", "Brodie Dress", "Brodie Hunting",
    "Brodie", "Bruce", "Buchan D", "Buchanan A", "Buchanan D", "Buchanan VS", "Cameron Clan D",
    "Cameron Hunting", "Cameron of Erracht", "Cameron of Locheil", "Cameron", "Campbell of Argyll",
    "Campbell of Breadalbane", "Campbell of Cawdor", "Campbell of Loudon", "Campbell", "Carnegie",
    "Chisholm D", "Chisholm VS", "Chisholm", "Clan Chattan D", "Clark", "Clergy", "Cochrane LC",
    "Cochrane", "Cockburn", "Colqhoun VS", "Colquhoun", "Comyn", "Crawford", "Cumming D",
    "Cumming LO", "Cumming SM", "Cumming VS", "Cunningham D", "Cunningham", "Dalzell",
    "Davidson Double", "Davidson of Tulloch", "Davidson", "Douglas VS", "Douglas", "Dougles Green",
    "Drummond C", "Drummond of Perth", "Drummond VS", "Dunbar", "Duncan", "Dundas", "Eglinton",
    "Elliott", "Erskine", "Farquharson", "Ferguson of Balquhidder", "Fergusson", "Fletcher C",
    "Fletcher", "Forbes LC", "Forbes VS", "Forbes", "Fraser VS", "Gordon VS", "Gordon", "Gow",
    "Graham of Menteith", "Graham of Montrose", "Graham W", "Grant D", "Grant of Monymusk", "Grant",
    "Gunn VS", "Gunn", "Hamilton", "Hay and Leith", "Henderson", "Home", "Hunter", "Huntly Old",
    "Innes D", "Johnston", "Keith and Austin", "Kennedy", "Kerr Hunting", "Kerr", "Kincaid",
    "Lamont", "Leslie Dress", "Leslie Hunting", "Lindsay", "Livingston", "Logan and MacLennan",
    "MacAlister", "MacAlpine A", "MacAlpine D A", "MacArthur", "MacAulay Hunting", "MacBain",
    "MacBean", "MacBeth", "MacCallum W", "MacCallum", "MacColl",
    "MacDonald Lord of the Isles Hunting", "MacDonald Lord of the Isles",
    "MacDonald of Clanranald D", "MacDonald of Clanranald", "MacDonald of Sleat",
    "MacDonald of Staffa", "MacDonald", "MacDonell of Glengarry D", "MacDonell of Glengarry",
    "MacDonell of Keppoch", "MacDonnald of ye Ylis", "MacDougall VS", "MacDuff", "MacEwan",
    "MacFarlane VS", "MacFarlane", "MacGillivray", "MacGregor", "MacIain", "MacInnes",
    "MacIntyre LC", "MacIntyre", "MacIver", "MacKay VS", "MacKay", "MacKeane", "MacKenzie",
    "MacKinlay", "MacKinnon Hunting", "MacKinnon", "MacKintosh D", "MacKintosh Hunting",
    "MacKintosh", "MacLachlan VS", "MacLachlan W", "MacLachlan", "MacLaine of Lochbuie Hunting",
    "MacLaine of Lochbuie", "MacLaren", "MacLean VS", "MacLean", "MacLeod of Lewis", "MacLeod",
    "MacMillan Ancient A", "MacMillan Hunting", "MacMillan", "MacNab VS", "MacNab WI 1",
    "MacNab WI 2", "MacNab", "MacNaughten", "MacNeil", "MacNicol D", "MacNicol Hunting",
    "MacNicol", "MacNiel of Barra", "MacNiel of Colonsay", "MacPherson Dress",
    "MacPherson Hunting", "MacPherson", "MacPhie", "MacQuarie", "MacQuarrie LO", "MacQuarrie SM",
    "MacQueen", "MacRae", "MacTavish", "MacThomas LC", "MacThomas", "Maitland", "Malcolm A",
    "Matheson N", "Matheson", "Maxwell", "Melville", "Menzies Dress", "Menzies Hunting",
    "Menzies VS", "Menzies", "Mitchell", "Moncreiffe D", "Moncreiffe", "Montgomery", "Montrose",
    "Morrison LC", "Morrison", "Mowat", "Munro VS", "Munro", "Murray of Atholl", "Murray", "Napier",
    "Ogilvy D", "Ogilvy Hunting", "Ogilvy VS", "Ogilvy", "Oliphant", "Priest",
    "Prince Charles Cloak", "Ramsay", "Rob Roy", "Robertson", "Rose Hunting", "Rose VS", "Rose",
    "Ross Hunting", "Royal Canadian Air Force", "Ruthven", "Scott", "Scrymgeour", "Seton",
    "Shepherd", "Sinclair Dress", "Sinclair Hunting", "Sinclair", "Skene D", "Skene N", "Skene",
    "Stewart Dress", "Stewart Hunting D", "Stewart Hunting", "Stewart of Appin",
    "Stewart of Atholl", "Stewart Old", "Stewart Royal", "Stuart of Bute", "Sutherland",
    "Urquhart D", "Urquhart L", "Wallace", "Wemyss", "Black Watch", "Clan Chattan", "Fraser",
    "Grant VS", "Hay", "Innes", "MacAlister CC", "MacDougall D", "MacFie", "MacPherson Of Cluny",
    "MacQuarrie 1815", "Merchiston Castle School", "Murray of Tullibardine", "Rattay",
    "Robertson D", "Robertson of Kindeace", "Ross", "Shaw", "Stewart Hunting Early", "Urquhart",
};

std::string plain(const char* stored, const char* name) { return unscrambleSett(stored, name); }

// Splits a plain run text "12a,4b" into (count, letter index) pairs; fails
// the test on anything but a positive count followed by one lower-case letter.
std::vector<std::pair<int, int>> runsOf(const std::string& text, const std::string& what) {
    std::vector<std::pair<int, int>> runs;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t comma = text.find(',', start);
        const std::string field = text.substr(start, comma == std::string::npos ? std::string::npos
                                                                                : comma - start);
        const bool wellFormed = field.size() >= 2 && field[0] != '0' &&
                                std::islower(static_cast<unsigned char>(field.back())) &&
                                field.find_first_not_of("0123456789") == field.size() - 1;
        EXPECT_TRUE(wellFormed) << what << ": run \"" << field << '"';
        if (!wellFormed) return {};
        runs.emplace_back(std::stoi(field.substr(0, field.size() - 1)), field.back() - 'a');
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return runs;
}

TEST(CatalogueNames, AllInOrderLetterForLetterAndUnique) {
    std::set<std::string> seen;
    for (int i = 0; i < tartanCount; ++i) {
        EXPECT_STREQ(storedTartans[i].name, expectedNames[i]) << "index " << i;
        EXPECT_TRUE(seen.insert(storedTartans[i].name).second) << storedTartans[i].name;
    }
}

TEST(CatalogueCounts, EveryRecordHasALegalTile) {
    for (const StoredTartan& t : storedTartans) {
        SCOPED_TRACE(t.name);
        EXPECT_GE(t.warpCount, 2);
        EXPECT_LE(t.warpCount, 888);
        EXPECT_GE(t.weftCount, 4);
        EXPECT_LE(t.weftCount, 1372);
        // The least multiple of the warp count that is divisible by 4.
        const int factor = t.warpCount % 4 == 0 ? 1 : (t.warpCount % 2 == 0 ? 2 : 4);
        EXPECT_EQ(t.weftCount, t.warpCount * factor);
    }
}

TEST(CatalogueCounts, DistributionAndExtremes) {
    int divisibleBy4 = 0, evenOnly = 0;
    std::set<std::string> odd, smallest, widest, tallest;
    for (int i = 0; i < tartanCount; ++i) {
        const StoredTartan& t = storedTartans[i];
        if (t.warpCount % 4 == 0) ++divisibleBy4;
        else if (t.warpCount % 2 == 0) ++evenOnly;
        else odd.insert(t.name);
        if (t.warpCount == 2 && t.weftCount == 4) smallest.insert(t.name);
        if (t.warpCount >= 888) widest.insert(t.name);
        if (t.weftCount >= 1372) tallest.insert(t.name);
        if (i <= 251) EXPECT_LE(t.warpCount, 476) << t.name;
        else EXPECT_TRUE(t.warpCount >= 291 && t.warpCount <= 888) << t.name;
    }
    EXPECT_EQ(divisibleBy4, 177);
    EXPECT_EQ(evenOnly, 93);
    EXPECT_EQ(odd, (std::set<std::string>{"Royal Canadian Air Force", "Black Watch"}));
    EXPECT_EQ(smallest, (std::set<std::string>{"Moncreiffe", "Shepherd"}));
    EXPECT_EQ(widest, std::set<std::string>{"Stewart Hunting Early"});
    EXPECT_EQ(tallest, std::set<std::string>{"MacPherson Of Cluny"});
}

TEST(CatalogueCounts, TellingRows) {
    struct Row { int index; const char* name; int warp; int weft; bool oneText; };
    const Row rows[] = {
        {0, "Abercrombie D", 148, 148, true},        {1, "Abercrombie", 134, 268, false},
        {7, "Austin", 80, 80, true},                 {201, "Moncreiffe D", 8, 8, true},
        {202, "Moncreiffe", 2, 4, false},            {221, "Rob Roy", 16, 16, true},
        {227, "Royal Canadian Air Force", 123, 492, false},
        {232, "Shepherd", 2, 4, false},              {251, "Wemyss", 248, 248, true},
        {252, "Black Watch", 291, 1164, false},      {253, "Clan Chattan", 796, 796, true},
        {261, "MacPherson Of Cluny", 686, 1372, false},
        {263, "Merchiston Castle School", 466, 932, false},
        {270, "Stewart Hunting Early", 888, 888, true},
        {271, "Urquhart", 496, 496, true},
    };
    for (const Row& row : rows) {
        const StoredTartan& t = storedTartans[row.index];
        EXPECT_STREQ(t.name, row.name);
        EXPECT_EQ(t.warpCount, row.warp) << row.name;
        EXPECT_EQ(t.weftCount, row.weft) << row.name;
        EXPECT_EQ(t.warpSett == t.weftSett, row.oneText) << row.name;
    }
}

TEST(StoredSetts, OneTextExactlyWhenTheCountsAreEqual) {
    int shared = 0;
    for (const StoredTartan& t : storedTartans) {
        if (t.warpCount == t.weftCount) {
            ++shared;
            EXPECT_EQ(t.warpSett, t.weftSett) << t.name;
        } else {
            EXPECT_NE(t.warpSett, t.weftSett) << t.name;
            EXPECT_STRNE(t.warpSett, t.weftSett) << t.name;
        }
    }
    EXPECT_EQ(shared, 177);
}

TEST(StoredSetts, ScrambledTextsAreHighBytesAndRoundTrip) {
    for (const StoredTartan& t : storedTartans) {
        for (const char* stored : {t.paletteSett, t.warpSett, t.weftSett}) {
            SCOPED_TRACE(t.name);
            ASSERT_GT(std::strlen(stored), 0u);
            for (const char* p = stored; *p; ++p)
                ASSERT_GT(static_cast<unsigned char>(*p), 127u);
            const std::string once = plain(stored, t.name);
            for (char c : once) ASSERT_LT(static_cast<unsigned char>(c), 128u);
            EXPECT_EQ(unscrambleSett(once, t.name), stored);
        }
    }
}

TEST(StoredSetts, PlainTextsMatchTheCountsAndThePalette) {
    std::set<std::pair<std::string, std::string>> looks;
    for (const StoredTartan& t : storedTartans) {
        SCOPED_TRACE(t.name);
        const std::string palette = plain(t.paletteSett, t.name);
        ASSERT_EQ(palette.find_first_not_of("0123456789,"), std::string::npos) << palette;
        const Palette colours = parsePalette(palette);
        const int fields = static_cast<int>(colours.size()) - 1;
        for (int k = 0; k < fields; ++k) {
            EXPECT_GE(colours[k], 0);
            EXPECT_LE(colours[k], 0xFFFFFF);
        }

        const std::string warp = plain(t.warpSett, t.name);
        const std::string weft = plain(t.weftSett, t.name);
        std::set<int> used;
        for (const auto& [text, count] : {std::make_pair(warp, t.warpCount),
                                          std::make_pair(weft, t.weftCount)}) {
            int threads = 0;
            for (const auto& [run, letter] : runsOf(text, t.name)) {
                threads += run;
                EXPECT_LT(letter, fields) << "letter beyond the palette";
                used.insert(letter);
            }
            EXPECT_EQ(threads, count);
        }
        // Every colour is woven, and there is more than one: no plain tiles.
        EXPECT_EQ(static_cast<int>(used.size()), fields);
        EXPECT_GE(fields, 2);
        // The weft is the warp's sequence repeated to its length.
        std::string repeated = warp;
        for (int n = t.warpCount; n < t.weftCount; n += t.warpCount) repeated += "," + warp;
        EXPECT_EQ(weft, repeated);
        EXPECT_TRUE(looks.emplace(palette, warp).second) << "same palette and warp as another record";
    }
}

TEST(StoredSetts, ColoursAreWrittenRedInTheLowByte) {
    // Rob Roy is red and black: one colour strong in the low byte only, one dark.
    const StoredTartan& robRoy = storedTartans[221];
    ASSERT_STREQ(robRoy.name, "Rob Roy");
    const Palette colours = parsePalette(plain(robRoy.paletteSett, robRoy.name));
    ASSERT_EQ(colours.size(), 3u);
    int red = 0, dark = 0;
    for (int k = 0; k < 2; ++k) {
        const int r = colours[k] & 0xFF, g = (colours[k] >> 8) & 0xFF, b = (colours[k] >> 16) & 0xFF;
        if (r > 150 && g < 60 && b < 60) ++red;
        if (r < 60 && g < 60 && b < 60) ++dark;
    }
    EXPECT_EQ(red, 1);
    EXPECT_EQ(dark, 1);
}

TEST(BuildCatalogue, FillsEveryRecordWithItsOwnCopies) {
    buildCatalogue();
    TartanCatalogue& catalogue = tartanCatalogue();
    for (int i = 0; i < tartanCount; ++i) {
        const StoredTartan& stored = storedTartans[i];
        const TartanRecord& record = catalogue[i];
        EXPECT_EQ(record.name, stored.name);
        EXPECT_EQ(record.warpCount, stored.warpCount);
        EXPECT_EQ(record.weftCount, stored.weftCount);
        EXPECT_EQ(record.paletteSett, stored.paletteSett);
        EXPECT_EQ(record.warpSett, stored.warpSett);
        EXPECT_EQ(record.weftSett, stored.weftSett);
    }

    // A record with one stored text: unscrambling its warp leaves the weft scrambled.
    TartanRecord& rob = catalogue[221];
    ASSERT_EQ(rob.warpCount, rob.weftCount);
    rob.warpSett = unscrambleSett(rob.warpSett, rob.name);
    EXPECT_EQ(rob.weftSett, storedTartans[221].weftSett);
    EXPECT_NE(rob.warpSett, rob.weftSett);

    // Building again restores the scrambled texts; unscrambling then gives plain text everywhere.
    buildCatalogue();
    unscrambleCatalogue();
    for (int i = 0; i < tartanCount; ++i) {
        const StoredTartan& stored = storedTartans[i];
        EXPECT_EQ(catalogue[i].paletteSett, plain(stored.paletteSett, stored.name));
        EXPECT_EQ(catalogue[i].warpSett, plain(stored.warpSett, stored.name));
        EXPECT_EQ(catalogue[i].weftSett, plain(stored.weftSett, stored.name));
    }
    EXPECT_EQ(catalogue[221].warpSett, catalogue[221].weftSett);
}

}  // namespace
