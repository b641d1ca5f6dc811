#include "platform/win32/blit_grid.h"

#include <algorithm>
#include <cstring>

namespace {

uint32_t* rowOf(const PixelView& view, int64_t y) {
    return view.pixels + static_cast<size_t>(y) * static_cast<size_t>(view.stride);
}

int32_t columnsOf(const BlitGrid& grid) { return grid.columns ? grid.columns : grid.openTiles; }

int32_t tilesInRow(const BlitGrid& grid, int32_t row) {
    return row < grid.fullRows ? columnsOf(grid) : grid.openTiles;
}

// One tile at (x, y) of the target, clipped.
void placeTile(const BlitTile& tile, const PixelView& target, int64_t x, int64_t y) {
    if (x >= target.width || y >= target.height) return;
    if (tile.original.pixels && x >= 0 && y >= 0) {
        const int32_t width = static_cast<int32_t>(std::min<int64_t>(tile.stored.width, target.width - x));
        const int32_t height = static_cast<int32_t>(std::min<int64_t>(tile.stored.height, target.height - y));
        const PixelView place{rowOf(target, y) + x, width, height, target.stride};
        scalePixels(tile.original, place, tile.fullWidth, tile.fullHeight);
        return;
    }
    copyPixels(tile.stored, target, static_cast<int32_t>(x), static_cast<int32_t>(y));
}

}  // namespace

void startBlitGrid(BlitGrid& grid, const void* image, int32_t x, int32_t y) {
    grid = BlitGrid{};
    grid.image = image;
    grid.originX = x;
    grid.originY = y;
    grid.openTiles = 1;
    grid.rowY = y;
    grid.nextX = x;
}

bool extendBlitGrid(BlitGrid& grid, const void* image, int32_t x, int32_t y) {
    if (!grid.image || image != grid.image) return false;
    if (extendBlitGridRow(grid, image, x, y)) return true;
    if (grid.columns == 0) {
        // The first row: its second tile fixes the step along the row; a
        // tile back at the row's start below it closes the row.
        if (y == grid.originY && grid.openTiles == 1 && x > grid.originX) {
            grid.stepX = x - grid.originX;
            grid.openTiles = 2;
            grid.nextX = static_cast<int64_t>(x) + grid.stepX;
            return true;
        }
        if (x == grid.originX && y > grid.originY) {
            grid.columns = grid.openTiles;
            grid.fullRows = 1;
            grid.stepY = y - grid.originY;
            grid.openTiles = 1;
            grid.rowY = y;
            grid.nextX = static_cast<int64_t>(x) + grid.stepX;
            return true;
        }
        return false;
    }
    if (grid.openTiles < grid.columns) return false;
    if (x != grid.originX || y != grid.rowY + grid.stepY) return false;
    ++grid.fullRows;
    grid.openTiles = 1;
    grid.rowY = y;
    grid.nextX = static_cast<int64_t>(x) + grid.stepX;
    return true;
}

int64_t blitGridTileCount(const BlitGrid& grid) {
    if (!grid.image) return 0;
    return static_cast<int64_t>(grid.fullRows) * columnsOf(grid) + grid.openTiles;
}

void blitGridTilePosition(const BlitGrid& grid, int64_t index, int32_t& x, int32_t& y) {
    const int32_t columns = columnsOf(grid);
    const int64_t row = columns ? index / columns : 0;
    const int64_t column = columns ? index % columns : 0;
    x = static_cast<int32_t>(grid.originX + column * grid.stepX);
    y = static_cast<int32_t>(grid.originY + row * grid.stepY);
}

bool blitGridRectangle(const BlitGrid& grid, int32_t width, int32_t height, int64_t& left, int64_t& top,
                       int64_t& right, int64_t& bottom) {
    if (!grid.image || width <= 0 || height <= 0) return false;
    const int32_t columns = columnsOf(grid);
    const int32_t rows = grid.fullRows + 1;
    if (grid.openTiles != columns) return false;
    if ((columns > 1 && grid.stepX != width) || (rows > 1 && grid.stepY != height)) return false;
    left = grid.originX;
    top = grid.originY;
    right = left + static_cast<int64_t>(columns) * width;
    bottom = top + static_cast<int64_t>(rows) * height;
    return true;
}

void drawBlitGrid(const BlitGrid& grid, const BlitTile& source, const PixelView& target, int32_t offsetX,
                  int32_t offsetY) {
    const PixelView& tile = source.stored;
    if (!grid.image || !tile.pixels || !target.pixels || tile.width <= 0 || tile.height <= 0) return;
    const int32_t columns = columnsOf(grid);
    const int32_t rows = grid.fullRows + 1;
    // Abutting tiles do not overlap, so every row below the first is the
    // first row's pixels again, over the columns that row's tiles cover.
    const bool abutting = (columns <= 1 || grid.stepX == tile.width) && (rows <= 1 || grid.stepY == tile.height);
    const int64_t left = static_cast<int64_t>(grid.originX) - offsetX;
    const int64_t firstTop = static_cast<int64_t>(grid.originY) - offsetY;
    for (int32_t row = 0; row < rows; ++row) {
        const int64_t top = firstTop + static_cast<int64_t>(row) * grid.stepY;
        if (top >= target.height) break;
        if (top + tile.height <= 0) continue;
        const int32_t count = tilesInRow(grid, row);
        if (row == 0 || !abutting) {
            for (int32_t column = 0; column < count; ++column) {
                const int64_t x = left + static_cast<int64_t>(column) * grid.stepX;
                if (x >= target.width) break;
                placeTile(source, target, x, top);
            }
            continue;
        }
        const int64_t spanLeft = std::max<int64_t>(left, 0);
        const int64_t spanRight = std::min<int64_t>(left + static_cast<int64_t>(count) * tile.width, target.width);
        if (spanLeft >= spanRight) continue;
        const size_t bytes = static_cast<size_t>(spanRight - spanLeft) * sizeof(uint32_t);
        for (int32_t sourceRow = 0; sourceRow < tile.height; ++sourceRow) {
            const int64_t y = top + sourceRow;
            if (y < 0) continue;
            if (y >= target.height) break;
            const int64_t firstRowY = firstTop + sourceRow;
            if (firstRowY >= 0 && firstRowY < target.height) {
                std::memcpy(rowOf(target, y) + spanLeft, rowOf(target, firstRowY) + spanLeft, bytes);
                continue;
            }
            // The first row's copy of this line lies off the target: take
            // the line from the tile itself, once per tile.
            const PixelView line{tile.pixels + static_cast<size_t>(sourceRow) * static_cast<size_t>(tile.stride),
                                 tile.width, 1, tile.stride};
            for (int32_t column = 0; column < count; ++column) {
                const int64_t x = left + static_cast<int64_t>(column) * tile.width;
                if (x >= target.width) break;
                copyPixels(line, target, static_cast<int32_t>(x), static_cast<int32_t>(y));
            }
        }
    }
}
