#include "picture/pixels.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// The part of a width x height picture placed at (x, y) that falls inside dst.
struct Overlap {
    int64_t left, top, right, bottom;
    bool empty() const { return left >= right || top >= bottom; }
};

Overlap overlapOf(const PixelView& dst, int32_t x, int32_t y, int64_t width, int64_t height) {
    return Overlap{std::max<int64_t>(x, 0), std::max<int64_t>(y, 0),
                   std::min<int64_t>(x + width, dst.width),
                   std::min<int64_t>(y + height, dst.height)};
}

// Source column of every column of dst, for a picture of sourceWidth columns
// resized to fullWidth, from its column `first` on: column * sourceWidth /
// fullWidth, worked out step by step as a quotient and remainder instead of a
// division a column.
std::vector<int32_t> columnMap;

void mapColumns(int32_t sourceWidth, int32_t fullWidth, int64_t first, int64_t count) {
    columnMap.resize(static_cast<size_t>(count));
    int64_t source = first * sourceWidth / fullWidth;
    int64_t rest = first * sourceWidth - source * fullWidth;
    for (int64_t i = 0; i < count; ++i) {
        columnMap[static_cast<size_t>(i)] = static_cast<int32_t>(source);
        for (rest += sourceWidth; rest >= fullWidth; rest -= fullWidth)
            ++source;
    }
}

void widenRow(const uint32_t* in, uint32_t* out, size_t count) {
    const int32_t* map = columnMap.data();
    for (size_t i = 0; i < count; ++i)
        out[i] = in[map[i]];
}

void copyRow(const uint32_t* in, uint32_t* out, size_t n);

// A source row enlarged `zoom` times (each pixel becoming `zoom` pixels) and
// repeated every `period` columns, `count` pixels of it: the first period is
// laid as runs and then copied over the rest, a doubling length at a time.
void widenRepeatedRow(const uint32_t* in, uint32_t* out, size_t count, size_t period, size_t zoom) {
    size_t done = std::min(count, period);
    if (zoom == 1) {
        copyRow(in, out, done);
    } else {
        for (size_t at = 0; at < done; at += zoom)
            std::fill_n(out + at, std::min(zoom, done - at), in[at / zoom]);
    }
    while (done < count) {
        const size_t more = std::min(done, count - done);
        copyRow(out, out + done, more);
        done += more;
    }
}

// Rows are copied from a handful of rows held in the cache to the whole
// picture, so the copy's speed is the composition's. On x86 processors,
// 16-byte moves (32-byte ones where the processor has them) cost a third less
// than the library's copy of rows this long, and the 32-byte ones about a
// tenth less again. The stores in between are aligned to their size: a copy
// may start at any column, and a store across two cache lines costs about
// twice one that is not. The first and the last store of a row are unaligned
// ones that overlap their neighbours (writing the same pixels again), instead
// of up to 14 pixels one by one.
#if defined(__x86_64__) || defined(__i386__)
__attribute__((target("avx2"))) __m256i load32(const uint32_t* at) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at));
}

__attribute__((target("avx2"))) void copyRowAvx2(const uint32_t* in, uint32_t* out, size_t n) {
    if (n < 8) {
        std::copy(in, in + n, out);
        return;
    }
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), load32(in));
    size_t i = (32 - reinterpret_cast<uintptr_t>(out) % 32) % 32 / sizeof(uint32_t);
    for (; i + 8 <= n; i += 8)
        _mm256_store_si256(reinterpret_cast<__m256i*>(out + i), load32(in + i));
    if (i < n) _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + n - 8), load32(in + n - 8));
}

__m128i load16(const uint32_t* at) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
}

void copyRowSse2(const uint32_t* in, uint32_t* out, size_t n) {
    if (n < 4) {
        std::copy(in, in + n, out);
        return;
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), load16(in));
    size_t i = (16 - reinterpret_cast<uintptr_t>(out) % 16) % 16 / sizeof(uint32_t);
    for (; i + 4 <= n; i += 4)
        _mm_store_si128(reinterpret_cast<__m128i*>(out + i), load16(in + i));
    if (i < n) _mm_storeu_si128(reinterpret_cast<__m128i*>(out + n - 4), load16(in + n - 4));
}

const bool haveAvx2 = __builtin_cpu_supports("avx2");

void copyRow(const uint32_t* in, uint32_t* out, size_t n) {
    if (haveAvx2)
        copyRowAvx2(in, out, n);
    else
        copyRowSse2(in, out, n);
}
#else
void copyRow(const uint32_t* in, uint32_t* out, size_t n) {
    std::memcpy(out, in, n * sizeof(uint32_t));
}
#endif

// Each class of source rows widened once, one after another, so the rows
// copied from stay few and close together in the cache. A row that repeats
// across dst is made only a period and a chunk long, and laid across dst a
// chunk at a time: the few made rows in use stay in the first-level cache,
// where whole rows of a wide screen would not.
std::vector<uint32_t> madeRows;
// Where each class's widened row is in madeRows, counted in made rows (-1:
// not made yet).
std::vector<int64_t> lastMade;

// Rows are laid in chunks that start on 64-byte boundaries, so that every
// store of a chunk is aligned and each cache line of dst is written whole by
// one chunk. A chunk is as many whole lines as fit in a period, at least
// minimumChunk pixels. Side by side with laying whole periods end to end,
// which start anywhere in a line, that costs 2 to 4 hundredths of a fill
// less over the catalogue, and a tenth or more less for the costliest
// tartans.
constexpr size_t minimumChunk = 256;
constexpr size_t linePixels = 64 / sizeof(uint32_t);

size_t chunkFor(size_t period) {
    return std::max(minimumChunk, period / linePixels * linePixels);
}

// Lays a made row, repeating every `period` pixels, across `width` pixels of
// `to`: up to the first 64-byte boundary, then chunk by chunk, each copied
// from its column's place within the made row (its column modulo the
// period, kept up as a remainder).
void layRow(const uint32_t* from, size_t period, size_t chunk, uint32_t* to, size_t width) {
    const size_t intoLine = reinterpret_cast<uintptr_t>(to) / sizeof(uint32_t) % linePixels;
    size_t x = std::min(width, (linePixels - intoLine) % linePixels);
    if (x > 0) copyRow(from, to, x);
    const size_t step = chunk % period;
    for (size_t at = x % period; x < width; x += chunk) {
        copyRow(from + at, to + x, std::min(chunk, width - x));
        if ((at += step) >= period) at -= period;
    }
}

} // namespace

void fillPixels(const PixelView& dst, uint32_t value) {
    if (!dst.pixels) return;
    for (int32_t y = 0; y < dst.height; ++y)
        std::fill_n(dst.row(y), dst.width, value);
}

void copyPixels(const PixelView& src, const PixelView& dst, int32_t x, int32_t y) {
    if (!src.pixels || !dst.pixels) return;
    const Overlap o = overlapOf(dst, x, y, src.width, src.height);
    if (o.empty()) return;
    const size_t bytes = static_cast<size_t>(o.right - o.left) * sizeof(uint32_t);
    for (int64_t row = o.top; row < o.bottom; ++row)
        std::memcpy(dst.row(static_cast<int32_t>(row)) + o.left,
                    src.row(static_cast<int32_t>(row - y)) + (o.left - x), bytes);
}

void scalePixels(const PixelView& src, const PixelView& dst, int32_t fullWidth, int32_t fullHeight,
                 int32_t x, int32_t y) {
    if (!src.pixels || !dst.pixels || src.width <= 0 || src.height <= 0 || fullWidth <= 0 ||
        fullHeight <= 0)
        return;
    const Overlap o = overlapOf(dst, x, y, fullWidth, fullHeight);
    if (o.empty()) return;
    const size_t width = static_cast<size_t>(o.right - o.left);
    mapColumns(src.width, fullWidth, o.left - x, static_cast<int64_t>(width));
    int64_t previousSource = -1;
    for (int64_t row = o.top; row < o.bottom; ++row) {
        const int64_t sourceRow = (row - y) * src.height / fullHeight;
        uint32_t* out = dst.row(static_cast<int32_t>(row)) + o.left;
        if (sourceRow == previousSource) {
            // The rows of one block are alike: copy the one just made.
            std::memcpy(out, out - dst.stride, width * sizeof(uint32_t));
            continue;
        }
        widenRow(src.row(static_cast<int32_t>(sourceRow)), out, width);
        previousSource = sourceRow;
    }
}

void tileRows(RowSource& source, int32_t sourceWidth, int32_t sourceHeight, int32_t zoom,
              const PixelView& dst) {
    if (!dst.pixels || sourceWidth <= 0 || sourceHeight <= 0 || zoom <= 0 || dst.width <= 0 ||
        dst.height <= 0)
        return;
    const size_t width = static_cast<size_t>(dst.width);
    const size_t period = static_cast<size_t>(sourceWidth) * static_cast<size_t>(zoom);
    const size_t chunk = chunkFor(period);
    // Long enough for a chunk to start at any column of a period, or the
    // whole width.
    const size_t length = std::min(width, period + chunk);
    source.columns = std::min(static_cast<size_t>(sourceWidth), (width - 1) / zoom + 1);
    lastMade.assign(static_cast<size_t>(sourceHeight), -1);
    int64_t madeCount = 0;
    const uint32_t* from = nullptr;
    // Each source row shows on `zoom` rows of dst in a row, from the top.
    for (int32_t y = 0, sourceRow = 0, shown = 0; y < dst.height; ++y) {
        if (shown == 0) {
            int64_t& made = lastMade[static_cast<size_t>(source.likeRow(sourceRow))];
            if (made < 0) {
                made = madeCount++;
                // Grown only past the largest number of rows made so far, so
                // that the rows are not cleared for every picture.
                if (madeRows.size() < static_cast<size_t>(madeCount) * length)
                    madeRows.resize(static_cast<size_t>(madeCount) * length * 2);
                widenRepeatedRow(source.rowPixels(sourceRow), madeRows.data() + made * length,
                                 length, period, static_cast<size_t>(zoom));
            }
            from = madeRows.data() + made * length;
        }
        layRow(from, period, chunk, dst.row(y), width);
        if (++shown == zoom) {
            shown = 0;
            if (++sourceRow == sourceHeight) sourceRow = 0;
        }
    }
}
