// Copies of one image placed on a regular grid, row by row (how the show
// covers the screen with a tile), collected as they arrive and drawn as one:
// the first row tile by tile, every later row copied from the first, so a
// screen covered with a tile of a few pixels costs about one pass over the
// screen instead of a call per tile.
#pragma once

#include <cstdint>

#include "platform/pixel_ops.h"

struct BlitGrid {
    const void* image = nullptr;  // null while no grid is collected
    int32_t originX = 0;          // the first tile's position
    int32_t originY = 0;
    int32_t stepX = 0;            // known from the row's second tile
    int32_t stepY = 0;            // known from the second row's first tile
    int32_t columns = 0;          // tiles per row; 0 while the first row is open
    int32_t fullRows = 0;         // rows above the open one
    int32_t openTiles = 0;        // tiles in the open (last) row
    int64_t rowY = 0;             // the open row's position
    int64_t nextX = 0;            // where the open row's next tile would go, once stepX is known
};

// The common case of extendBlitGrid, cheap enough to run for each of a
// million tiles: the next tile along a row whose step is known.
inline bool extendBlitGridRow(BlitGrid& grid, const void* image, int32_t x, int32_t y) {
    if (image != grid.image || y != grid.rowY || x != grid.nextX || grid.stepX == 0) return false;
    if (grid.columns != 0 && grid.openTiles >= grid.columns) return false;
    ++grid.openTiles;
    grid.nextX += grid.stepX;
    return true;
}

// Starts a grid with its first tile at (x, y).
void startBlitGrid(BlitGrid& grid, const void* image, int32_t x, int32_t y);

// Adds a copy of `image` at (x, y) when it is the grid's next tile: the next
// one along the row, or the first of the next row. False (and the grid
// unchanged) otherwise.
bool extendBlitGrid(BlitGrid& grid, const void* image, int32_t x, int32_t y);

int64_t blitGridTileCount(const BlitGrid& grid);

// Position of tile `index` (in the order the tiles came).
void blitGridTilePosition(const BlitGrid& grid, int64_t index, int32_t& x, int32_t& y);

// True when tiles of width x height abut exactly and every row is complete,
// so that the grid covers one rectangle; its bounds are then set.
bool blitGridRectangle(const BlitGrid& grid, int32_t width, int32_t height, int64_t& left, int64_t& top,
                       int64_t& right, int64_t& bottom);

// The picture each tile is a copy of: its stored pixels, and for an
// enlarged image optionally the picture it was enlarged from, so that a tile
// can be enlarged straight into its place instead of being read back from a
// screen-sized copy (the pixels are the same).
struct BlitTile {
    PixelView stored;
    PixelView original;       // empty when there is none
    int32_t fullWidth = 0;    // the size `original` was enlarged to
    int32_t fullHeight = 0;
};

// Draws every tile of the grid into `target`, whose pixel (0, 0) stands for
// (offsetX, offsetY); clipped to the target. The result is that of copying
// the tiles one after the other.
void drawBlitGrid(const BlitGrid& grid, const BlitTile& tile, const PixelView& target, int32_t offsetX,
                  int32_t offsetY);
