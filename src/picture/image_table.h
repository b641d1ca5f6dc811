// The image table as the picture module's files share it.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/drawing_services.h"

// An image's handle is its address. The pixel memory of a slot is kept when
// its image is released, so that the next image of the slot (every tartan's
// tile) writes into memory already in place.
struct Image {
    bool inUse = false;
    int32_t width = 0; // the full size: copies of the image are placed this far apart
    int32_t height = 0;
    int32_t storedWidth = 0; // the part held: the top-left corner, cut to the image clip
    int32_t storedHeight = 0;
    std::vector<uint32_t> pixels; // storedWidth x storedHeight, rows storedWidth apart
    // An enlargement not made yet: `pixels` is then the whole picture it
    // enlarges, sourceWidth x sourceHeight.
    bool pending = false;
    int32_t sourceWidth = 0;
    int32_t sourceHeight = 0;
    std::vector<uint32_t> spare; // memory kept for the enlargement's own pixels
};

// The image a handle names, or null.
Image* imageOfHandle(const void* handle);

// Makes an enlargement that is pending; false when its memory cannot be had
// (the slot is then released).
bool settle(Image& image);

// The held pixels (settle first for a pending image).
PixelView storedView(Image& image);
// The picture a pending enlargement is made from.
PixelView sourceView(Image& image);

// Ends the open drawing if it is on this image (before the image changes).
void endDrawingOn(const Image& image);

// The current image (the slot last made, enlarged or looked up), or null.
Image* currentImageOrNull();
