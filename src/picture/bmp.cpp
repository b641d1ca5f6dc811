// Decoding a BMP file image (BITMAPFILEHEADER, BITMAPINFOHEADER or a larger
// header, colour table, rows) into an image of the table.
#include <vector>

#include "picture/image_table.h"
#include "picture/images.h"
#include "picture/pixels.h"

namespace {

constexpr size_t fileHeaderSize = 14;
constexpr uint32_t infoHeaderSize = 40;
constexpr int32_t largestSide = 32767;

uint32_t read16(const uint8_t* p) {
    return static_cast<uint32_t>(p[0] | (p[1] << 8));
}
uint32_t read32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

struct BmpLayout {
    int32_t width = 0;
    int32_t height = 0;
    bool topDown = false;
    uint32_t bitCount = 0;
    uint64_t rowBytes = 0;
    uint64_t pixelOffset = 0;
    std::vector<uint32_t> colours; // as pixel words
};

// Reads and checks the headers. The planes field is not looked at: a file
// image has one plane whatever it says. A colour count above what the bits
// can index counts as the full table.
bool readLayout(const uint8_t* data, size_t size, BmpLayout& bmp) {
    if (!data || size < fileHeaderSize + infoHeaderSize || data[0] != 'B' || data[1] != 'M')
        return false;
    const uint64_t headerSize = read32(data + 14);
    if (headerSize < infoHeaderSize || fileHeaderSize + headerSize > size) return false;
    const int32_t width = static_cast<int32_t>(read32(data + 18));
    const int32_t height = static_cast<int32_t>(read32(data + 22));
    bmp.bitCount = read16(data + 28);
    if (read32(data + 30) != 0) return false; // compressed
    const uint32_t bits = bmp.bitCount;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) return false;
    if (width <= 0 || width > largestSide || height == 0 || height < -largestSide ||
        height > largestSide)
        return false;
    bmp.width = width;
    bmp.topDown = height < 0;
    bmp.height = height < 0 ? -height : height;
    bmp.rowBytes = ((static_cast<uint64_t>(width) * bits + 31) / 32) * 4;
    uint64_t tableEnd = fileHeaderSize + headerSize;
    if (bits <= 8) {
        const uint64_t most = uint64_t{1} << bits;
        const uint64_t used = read32(data + 46);
        const uint64_t entries = used == 0 || used > most ? most : used;
        if (tableEnd + entries * 4 > size) return false;
        for (uint64_t i = 0; i < entries; ++i) {
            const uint8_t* entry = data + tableEnd + i * 4;
            bmp.colours.push_back(blackPixel | (uint32_t{entry[2]} << 16) |
                                  (uint32_t{entry[1]} << 8) | entry[0]);
        }
        tableEnd += entries * 4;
    }
    bmp.pixelOffset = read32(data + 10);
    return bmp.pixelOffset >= tableEnd && bmp.pixelOffset <= size &&
           bmp.rowBytes * static_cast<uint64_t>(bmp.height) <= size - bmp.pixelOffset;
}

uint32_t pixelAt(const BmpLayout& bmp, const uint8_t* row, int32_t x) {
    if (bmp.bitCount >= 24) {
        const uint8_t* p = row + static_cast<size_t>(x) * (bmp.bitCount / 8);
        return blackPixel | (uint32_t{p[2]} << 16) | (uint32_t{p[1]} << 8) | p[0];
    }
    const uint64_t bit = static_cast<uint64_t>(x) * bmp.bitCount;
    const uint32_t shift = 8 - bmp.bitCount - static_cast<uint32_t>(bit % 8);
    const uint32_t index = (row[bit / 8] >> shift) & ((1u << bmp.bitCount) - 1);
    // An index past a short colour table is black.
    return index < bmp.colours.size() ? bmp.colours[index] : blackPixel;
}

} // namespace

ImageHandle loadImageFromMemory(int32_t slot, const uint8_t* data, size_t size) {
    BmpLayout bmp;
    if (!readLayout(data, size, bmp)) return nullptr;
    ImageHandle handle = makeImageToOverwrite(slot, bmp.width, bmp.height);
    if (!handle) return nullptr;
    const PixelView view = storedView(*imageOfHandle(handle));
    for (int32_t y = 0; y < bmp.height; ++y) {
        const int32_t fileRow = bmp.topDown ? y : bmp.height - 1 - y;
        const uint8_t* row = data + bmp.pixelOffset + static_cast<uint64_t>(fileRow) * bmp.rowBytes;
        uint32_t* out = view.row(y);
        for (int32_t x = 0; x < bmp.width; ++x)
            out[x] = pixelAt(bmp, row, x);
    }
    return handle;
}
