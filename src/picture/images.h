// Numbered images held as pixel memory: made, enlarged, looked up, decoded
// from a BMP file image, released.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/drawing_services.h"
#include "platform/window_services.h"

// Creates the image table: slots 0 to 10, all empty.
void initImages();

// A new black image of width x height in `slot` (releasing what it held),
// made the current image; 0 when it cannot be made.
ImageHandle makeImage(int32_t slot, int32_t width, int32_t height);

// As makeImage, but the pixels are left as they come, for a caller that
// writes every one of them.
ImageHandle makeImageToOverwrite(int32_t slot, int32_t width, int32_t height);

// Replaces the slot's image by a copy enlarged (each pixel replicated into
// its block) or reduced (each pixel the average of the block it covers) to
// width x height; 0 when the slot is empty or the copy cannot be made. The enlargement is made only
// when something needs its pixels: a copy or a tiling draws it straight from the small picture.
// Only its top-left part within the image clip is ever held in memory; the image keeps its full
// size for placing copies.
ImageHandle scaleImage(int32_t slot, int32_t width, int32_t height);

// The largest area an enlarged image is ever shown in (the screen); 0 by 0,
// the start, sets no limit.
void setImageClip(int32_t width, int32_t height);

// The slot's image (0 when empty or outside the table); makes it current.
ImageHandle imageHandle(int32_t slot);

// The held pixels of an image (its top-left part within the clip), made
// first if it is an enlargement not drawn yet; empty for no image. Valid
// until the image changes.
PixelView imagePixels(int32_t slot);
PixelView pixelsOfImage(ImageHandle image);

// Decodes a BMP file image into `slot`; 0 (and the slot left as it was)
// when the data is not a BMP file this reader takes: uncompressed, 1, 4, 8,
// 24 or 32 bits a pixel, at most 32767 pixels a side, every header, table
// entry and row within the data, the pixels after the colour table.
ImageHandle loadImageFromMemory(int32_t slot, const uint8_t* data, size_t size);

void freeAllImages();
