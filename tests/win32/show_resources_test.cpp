// The show's picture cycle on a real window: the catalogue drawn twice with
// the GDI objects counted between passes, and the pixels against the woven tile.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>

#include "platform/image_services.h"
#include "platform/window_services.h"
#include "show/show.h"
#include "startup/settings.h"
#include "tartan/catalogue.h"
#include "tartan/sett.h"
#include "tartan/weave.h"
#include "win32_test_support.h"

namespace {

// The process's live GDI objects. Wine's GetGuiResources answers 0, so there
// the GDI handle table is counted: the TEB holds the PEB at 0x60, the PEB the
// table at 0xF8; x64 entries of 24 bytes, the type at byte 14. (GCC misreads
// mingw-w64's segment-register read behind NtCurrentTeb.)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Warray-bounds"
long gdiObjectCount() {
    if (const DWORD reported = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS)) return static_cast<long>(reported);
    const auto* teb = reinterpret_cast<const uint8_t*>(NtCurrentTeb());
    const auto* peb = *reinterpret_cast<const uint8_t* const*>(teb + 0x60);
    const auto* table = *reinterpret_cast<const uint8_t* const*>(peb + 0xF8);
    if (!table) return -1;
    long live = 0;
    for (size_t i = 0; i < 65536; ++i) live += table[i * 24 + 14] != 0;
    return live;
}
#pragma GCC diagnostic pop

constexpr int32_t canvasWidth = 640, canvasHeight = 400;

class ShowCycle : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        initWeavePattern();
        buildCatalogue();
        unscrambleCatalogue();
    }
    void SetUp() override {
        window = static_cast<HWND>(openTopWindow(0, 0, 0, canvasWidth, canvasHeight, stylePopup, ""));
        ASSERT_TRUE(window);
        fillWindowBlack(window);
        setImageClip(canvasWidth, canvasHeight);
        saved = saverSettings();
    }
    void TearDown() override {
        saverSettings() = saved;
        setImageClip(0, 0);
        freeAllImages();
        closeAllWindows();
    }
    HWND window = nullptr;
    SaverSettings saved;
    const ShowCanvas canvas{canvasWidth, canvasHeight, windowTarget};
};

TEST_F(ShowCycle, SecondPassThroughTheCatalogueHoldsNoMoreGdiObjects) {
    saverSettings().zoom = 10;
    saverSettings().showNames = 1;
    long gdi[3] = {gdiObjectCount()};
    for (int pass = 1; pass <= 2; ++pass) {
        for (int index = 0; index < tartanCount; ++index) {
            drawTartan(index, canvas);
            pumpMessages();
        }
        gdi[pass] = gdiObjectCount();
    }
    std::printf("[ gdi ] GDI objects: before %ld, after pass 1 %ld, after pass 2 %ld\n", gdi[0], gdi[1], gdi[2]);
    ASSERT_GT(gdi[1], 0);
    EXPECT_EQ(gdi[2], gdi[1]);
}

// The first and last records and the smallest and largest tiles (the
// smallest makes thousands of copies, drawn as one grid).
TEST_F(ShowCycle, WindowShowsTheWovenTileRepeatedAtTheZoom) {
    saverSettings().showNames = 0;
    auto area = [](int i) {
        const TartanRecord& r = tartanCatalogue()[static_cast<size_t>(i)];
        return r.warpCount * r.weftCount;
    };
    int smallest = 0, largest = 0;
    for (int i = 0; i < tartanCount; ++i) {
        if (area(i) < area(smallest)) smallest = i;
        if (area(i) > area(largest)) largest = i;
    }
    for (int zoom : {1, 3})
        for (int index : {0, tartanCount - 1, smallest, largest}) {
            saverSettings().zoom = static_cast<int16_t>(zoom);
            const TartanRecord& record = tartanCatalogue()[static_cast<size_t>(index)];
            // The tile as woven, before enlargement, read back from its image.
            const Palette palette = parsePalette(record.paletteSett);
            weaveTile(record, parseThreadSett(record.warpSett, palette, record.warpCount),
                      parseThreadSett(record.weftSett, palette, record.weftCount));
            int32_t tileW, tileH;
            const std::vector<uint32_t> tile = bitmapPixels(imageHandle(0), tileW, tileH);
            ASSERT_EQ(tileW, record.warpCount);
            ASSERT_EQ(tileH, record.weftCount);

            drawTartan(index, canvas);
            const std::vector<uint32_t> screen = windowPixels(window, canvasWidth, canvasHeight);
            for (int32_t y = 0; y < canvasHeight; ++y)
                for (int32_t x = 0; x < canvasWidth; ++x)
                    ASSERT_EQ(screen[static_cast<size_t>(y * canvasWidth + x)],
                              tile[static_cast<size_t>((y / zoom) % tileH * tileW + (x / zoom) % tileW)])
                        << record.name << " zoom " << zoom << " at " << x << "," << y;
        }
}

}  // namespace
