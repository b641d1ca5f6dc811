// The full-screen show against the stub: its window, the order of the
// tartans, the pointer rule, the delay, the settings it reads, its pictures.
#include <map>
#include <numeric>
#include <stdexcept>
#include <string>
#include <vector>

#include "show/random.h"
#include "show/show.h"
#include "tartan/weave.h"
#include "unit_support.h"

using Show = StubTest;
using Store = std::map<std::string, std::string>;
static const Store inOrder = {{"Tartan Order", "0"}, {"Tartan Info", "0"}, {"Tartan Delay", "0"}};

struct ShowRun {
    std::vector<int> shown;      // the catalogue index of each picture presented
    std::vector<uint32_t> held;  // the stub clock's steps from each of those presents to the next
};

// Runs the show on `store` (screen w x h). When `stopAt` pictures have been
// presented the pointer moves by (dx, dy) and from then on the clock moves
// `tickStep` ms at every read; two pictures later the pointer moves for good.
// At every present the pointer is hidden; the one before the first tartan
// shows black.
static ShowRun runShowFor(const Store& store, size_t stopAt, int32_t dx = 1, int32_t dy = 0, uint32_t tickStep = 0,
                          int32_t w = 64, int32_t h = 48) {
    stub::reset();
    stub::Backend& b = stub::backend();
    b.store = store, b.screenWidth = w, b.screenHeight = h, b.pointerX = 30, b.pointerY = 20;
    ShowRun run;
    uint32_t last = 0;
    b.onPresent = [&](stub::Window& window) {
        EXPECT_FALSE(b.cursorVisible);
        EXPECT_TRUE(showState().currentIndex >= 0 || window.surface == Pixels(window.surface.size(), blackPixel));
        if (showState().currentIndex < 0) return;
        if (!run.shown.empty()) run.held.push_back(b.clock - last);
        run.shown.push_back(showState().currentIndex), last = b.clock;
        if (run.shown.size() == stopAt) b.pointerX += dx, b.pointerY += dy, b.tickStep = tickStep;
        if (run.shown.size() == stopAt + 2) b.pointerX += 1;
        if (run.shown.size() > stopAt + 3) throw std::runtime_error("the show did not end");
    };
    EXPECT_THROW(runShow(), stub::ProgramEnded);
    return run;
}

TEST_F(Show, CatalogueOrderInAPopupCoveringTheScreen) {
    const ShowRun run = runShowFor(inOrder, 274);
    std::vector<int> expected(272);
    std::iota(expected.begin(), expected.end(), 0);
    expected.insert(expected.end(), {0, 1});
    EXPECT_EQ(run.shown, expected);
    ASSERT_EQ(stub::backend().windows.size(), 1u);
    const stub::Window& w = stub::backend().windows[0];
    EXPECT_TRUE(w.number == 0 && w.x == 0 && w.y == 0 && w.width == 64 && w.height == 48 && w.flags == stylePopup &&
                w.title.empty());
    EXPECT_EQ(w.presents, 275);  // the black fill, then one present a picture
    for (const uint32_t held : run.held) ASSERT_TRUE(held > 0 && held < 100) << held;  // a delay of 0
}

TEST_F(Show, DefaultsAreWrittenBackAndTheRandomOrderFollowsTheGeneratorSeededWithTheTickCount) {
    const uint32_t seed = stub::backend().clock;
    const ShowRun run = runShowFor({}, 20);
    EXPECT_EQ(stub::backend().store, (Store{{"Install Path", "/opt/stub/"}, {"Tartan Order", "1"}, {"Tartan Info", "1"},
                                           {"Tartan Zoom", "1"}, {"Tartan Delay", "1"}}));
    randomSeed(seed);
    for (size_t i = 0; i < run.shown.size(); ++i) EXPECT_EQ(run.shown[i], randomUpTo(271)) << i;
    for (const uint32_t held : run.held) ASSERT_TRUE(held > 1000 && held < 1100) << held;  // a delay of 1 s
}

TEST_F(Show, APointerAwayFromWhereItWasEndsTheShowAtTheNextPoll) {
    // In the last case the delay of 0 has passed at the first poll: the pointer is still read once.
    struct Case { int32_t dx, dy; uint32_t tickStep; size_t pictures; };
    for (const Case& c : {Case{1, 0, 0, 3}, Case{0, -1, 0, 3}, Case{0, 0, 0, 5}, Case{-4, 0, 1, 3}}) {
        const ShowRun run = runShowFor(inOrder, 3, c.dx, c.dy, c.tickStep);
        EXPECT_EQ(run.shown.size(), c.pictures) << c.dx << "," << c.dy << " tick step " << c.tickStep;
        EXPECT_TRUE(stub::backend().cursorVisible);
    }
}

TEST_F(Show, ThePictureIsTheWovenTileRepeatedAtTheZoomWithTheNameWhenAsked) {
    struct Case { const char *info, *zoom; int32_t z; bool named; };
    for (const Case& c : {Case{"1", "3", 3, true}, Case{"0", "0", 1, false}, Case{"2", "-3", 1, false}}) {
        Store store = inOrder;
        store["Tartan Info"] = c.info, store["Tartan Zoom"] = c.zoom;
        runShowFor(store, 1, 1, 0, 0, 500, 300);
        const TartanRecord& record = tartanCatalogue()[0];
        const Palette palette = parsePalette(record.paletteSett);
        weaveTile(record, parseThreadSett(record.warpSett, palette, record.warpCount),
                  parseThreadSett(record.weftSett, palette, record.weftCount));
        const Pixels tile = pixelsOf(imagePixels(0));
        const int32_t w = record.warpCount, h = record.weftCount, z = c.z;
        Pixels expected;
        for (int32_t y = 0; y < 300; ++y)
            for (int32_t x = 0; x < 500; ++x) expected.push_back(tile[y % (h * z) / z * w + x % (w * z) / z]);
        const int32_t nameWidth = static_cast<int32_t>(record.name.size()) * stub::cellWidth;
        if (c.named) putStubText(expected, 500, 500 - nameWidth, 0, record.name, blackPixel, true);
        EXPECT_TRUE(stub::backend().windows[0].surface == expected) << "info " << c.info << " zoom " << c.zoom;
    }
}
