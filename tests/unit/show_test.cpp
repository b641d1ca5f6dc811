// The full-screen show against the stub: its window, the order of the
// tartans, the pointer rule, the delay, the settings it reads, its pictures.
#include <map>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "show/host_request.h"
#include "show/random.h"
#include "show/show.h"
#include "startup/settings.h"
#include "tartan/weave.h"
#include "unit_support.h"

using Show = StubTest;
using Store = std::map<std::string, std::string>;
static const Store inOrder = {{"Tartan Order", "0"}, {"Tartan Info", "0"}, {"Tartan Delay", "0"}};

// Runs the show on `store` (screen w x h, the clock moving `tickStep` ms at every read, the pointer at
// (0, 0)); the catalogue index of each picture presented. When `stopAt` pictures have been presented the
// pointer moves to (dx, dy); two pictures later it moves for good. At every present the pointer is hidden;
// the one before the first tartan shows black, each after it comes just over the delay after the one before.
static std::vector<int> runShowFor(const Store& store, size_t stopAt, int32_t dx = 1, int32_t dy = 0,
                                   uint32_t tickStep = 0, int32_t w = 64, int32_t h = 48) {
    stub::reset();
    stub::Backend& b = stub::backend();
    b.store = store;
    b.tickStep = tickStep;
    std::tie(b.screenWidth, b.screenHeight) = std::tie(w, h);
    std::vector<int> shown;
    uint32_t last = 0;
    b.onPresent = [&](stub::Window& window) {
        EXPECT_FALSE(b.cursorVisible);
        EXPECT_TRUE(showState().currentIndex >= 0 || window.surface == Pixels(window.surface.size(), blackPixel));
        if (showState().currentIndex < 0) return;
        const uint32_t held = b.clock - last, delay = static_cast<uint32_t>(saverSettings().delayMs);
        EXPECT_TRUE(shown.empty() || (held > delay && held < delay + 100)) << held << " ms after the last";
        last = b.clock;
        shown.push_back(showState().currentIndex);
        if (shown.size() == stopAt) std::tie(b.pointerX, b.pointerY) = std::tie(dx, dy);
        if (shown.size() == stopAt + 2) b.pointerX += 1;
        if (shown.size() > stopAt + 3) throw std::runtime_error("the show did not end");
    };
    EXPECT_THROW(runShow(), stub::ProgramEnded);
    return shown;
}

// Record `index` woven and repeated over a w x h picture at `zoom`, its name written top right when `named`.
static Pixels tiling(int index, int32_t width, int32_t height, int32_t zoom, bool named) {
    const TartanRecord& record = tartanCatalogue()[static_cast<size_t>(index)];
    const Palette palette = parsePalette(record.paletteSett);
    weaveTile(record, parseThreadSett(record.warpSett, palette, record.warpCount),
              parseThreadSett(record.weftSett, palette, record.weftCount));
    const Pixels tile = pixelsOf(imagePixels(0));
    const int32_t w = record.warpCount, h = record.weftCount, z = zoom;
    Pixels screen = picture(width, height, [&](int x, int y) { return tile[y % (h * z) / z * w + x % (w * z) / z]; });
    const int32_t nameAt = width - static_cast<int32_t>(record.name.size()) * stub::cellWidth; // right-aligned
    if (named) drawText(PixelView{screen.data(), width, height, width}, nameAt, 0, record.name, 0, true);
    return screen;
}

TEST_F(Show, CatalogueOrderInAPopupCoveringTheScreen) {
    const std::vector<int> shown = runShowFor(inOrder, 274);  // a delay of 0
    ASSERT_EQ(shown.size(), 274u);
    for (size_t i = 0; i < shown.size(); ++i) EXPECT_EQ(shown[i], static_cast<int>(i % 272)) << i;
    const stub::Window& w = stub::backend().windows.at(0);
    EXPECT_TRUE(w.number == 0 && w.x == 0 && w.y == 0 && w.width == 64 && w.height == 48 && w.flags == stylePopup &&
                w.title.empty() && stub::backend().windows.size() == 1);
    EXPECT_EQ(w.presents, 275);  // the black fill, then one present a picture
}

TEST_F(Show, DefaultsAreWrittenBackAndTheRandomOrderFollowsTheGeneratorSeededWithTheTickCount) {
    const uint32_t seed = stub::backend().clock;
    const std::vector<int> shown = runShowFor({}, 20);  // a delay of 1 s
    EXPECT_EQ(stub::backend().store, (Store{{"Install Path", "/opt/stub/"}, {"Tartan Order", "1"}, {"Tartan Info", "1"},
                                           {"Tartan Zoom", "1"}, {"Tartan Delay", "1"}}));
    randomSeed(seed);
    for (size_t i = 0; i < shown.size(); ++i) EXPECT_EQ(shown[i], randomUpTo(271)) << i;
}

TEST_F(Show, APointerAwayFromWhereItWasEndsTheShowAtTheNextPoll) {
    // In the last case the delay of 0 has passed at every first poll: the pointer is still read once.
    struct Case { int32_t dx, dy; uint32_t tickStep; size_t pictures; };
    for (const Case& c : {Case{1, 0, 0, 3}, Case{0, -1, 0, 3}, Case{0, 0, 0, 5}, Case{-4, 0, 1, 3}}) {
        EXPECT_EQ(runShowFor(inOrder, 3, c.dx, c.dy, c.tickStep).size(), c.pictures)
            << c.dx << "," << c.dy << " tick step " << c.tickStep;
        EXPECT_TRUE(stub::backend().cursorVisible);
    }
}

TEST_F(Show, ThePictureIsTheWovenTileRepeatedAtTheZoomWithTheNameWhenAsked) {
    struct Case { const char *info, *zoom; int32_t z; bool named; };
    for (const Case& c : {Case{"1", "3", 3, true}, Case{"0", "0", 1, false}, Case{"2", "-3", 1, false},
                          Case{"0", "10", 10, false}}) {
        Store store{{"Tartan Info", c.info}, {"Tartan Zoom", c.zoom}};
        store.insert(inOrder.begin(), inOrder.end());  // the order and the delay
        runShowFor(store, 1, 1, 0, 0, 505, 305);
        EXPECT_TRUE(stub::backend().windows[0].surface == tiling(0, 505, 305, c.z, c.named))
            << "info " << c.info << " zoom " << c.zoom;
    }
}

TEST_F(Show, AHostOptionRequestsAWindowAndSettingsForTheRun) {
    struct Case { std::vector<std::string> args; std::string env; bool hosted, usable; uint64_t window; };
    const Case cases[] = {
        {{"/s"}, "0x20", false, true, 0},
        {{"--root"}, "", true, true, 0},                        // the root window
        {{"--root"}, "0x2c0000A", true, true, 0x2c0000A},
        {{"--root"}, "46137354", true, true, 46137354},
        {{"--root"}, "0x", true, false, 0},
        {{"--root"}, "12a", true, false, 0},
        {{"--root", "--window-id", "0x10"}, "7", true, true, 16}, // a settings program's preview
        {{"--window-id"}, "", true, false, 0},
        {{"--window-id", "-5"}, "", true, false, 0},
    };
    for (const Case& c : cases) {
        const HostRequest r = hostRequestFrom(c.args, c.env);
        EXPECT_TRUE(r.hosted == c.hosted && r.usable == c.usable && r.window == c.window) << c.args.back() << " " << c.env;
        EXPECT_FALSE(r.zoom || r.delaySeconds || r.showNames || r.randomOrder);
    }
    const HostRequest r = hostRequestFrom({"--zoom", "4", "--root", "--delay", "7", "--names", "--no-names", "--random"}, "");
    EXPECT_TRUE(r.zoom == 4 && r.delaySeconds == 7 && r.showNames == 0 && r.randomOrder == 1);
    EXPECT_EQ(hostRequestFrom({"--root", "--in-order", "--zoom"}, "").randomOrder, 0);
}

// The hosted show draws in the adopted window at its size, follows its resizes and exposures, takes the next
// tartan when the delay has passed, and never touches the pointer. The options override the store for the
// run; only missing values are written back.
TEST_F(Show, AHostedShowDrawsInItsWindowAtItsSizeWithTheRunsSettings) {
    stub::Backend& b = stub::backend();
    b.store = {{"Tartan Order", "1"}, {"Tartan Zoom", "2"}, {"Tartan Info", "1"}};
    b.screenWidth = 90, b.screenHeight = 70;
    b.hostEvents = {{0, 0}, {-1, -1}, {200, 150}, {0, 0}};
    std::vector<std::tuple<int, int32_t, int32_t, uint32_t>> presents; // index, width, height, clock
    b.onPresent = [&](stub::Window& w) {
        EXPECT_EQ(w.title, "26");
        const int index = showState().currentIndex;
        EXPECT_TRUE(w.surface == tiling(index, w.width, w.height, 3, false)) << index << " at " << w.width;
        presents.emplace_back(index, w.width, w.height, b.clock);
    };
    const uint32_t start = b.clock;
    EXPECT_THROW(runHostedShow(hostRequestFrom({"--root", "--zoom", "3", "--delay", "5", "--no-names", "--in-order"}, "26")),
                 stub::ProgramEnded);
    using P = std::tuple<int, int32_t, int32_t, uint32_t>;
    EXPECT_EQ(presents, (std::vector<P>{{0, 90, 70, start}, {1, 90, 70, start + 5000}, {1, 90, 70, start + 5000},
                                         {1, 200, 150, start + 5000}, {2, 200, 150, start + 10000}}));
    EXPECT_TRUE(b.cursorVisible);
    EXPECT_EQ(b.store, (Store{{"Install Path", "/opt/stub/"}, {"Tartan Order", "1"}, {"Tartan Zoom", "2"},
                              {"Tartan Info", "1"}, {"Tartan Delay", "1"}}));
    for (const char* id : {"0xBAD", "nothing"}) {  // a window that cannot be adopted, or no window id at all
        stub::reset();
        EXPECT_THROW(runHostedShow(hostRequestFrom({"--window-id", id}, "")), stub::ProgramEnded);
        EXPECT_TRUE(stub::backend().windows.empty()) << id;
    }
}
