#include "picture/images.h"

#include <algorithm>
#include <memory>
#include <new>

#include "picture/drawing.h"
#include "picture/image_table.h"
#include "picture/pixels.h"

namespace {

// Slot n holds image n; a slot keeps its Image (and its memory) once made.
std::vector<std::unique_ptr<Image>> table;
int32_t currentSlot = -1;
int32_t clipWidth = 0;
int32_t clipHeight = 0;

// Neither side of the pixels held may exceed this.
constexpr int32_t largestSide = 32767;

Image* imageInSlot(int32_t slot) {
    if (slot < 0 || static_cast<size_t>(slot) >= table.size()) return nullptr;
    Image* image = table[static_cast<size_t>(slot)].get();
    return image && image->inUse ? image : nullptr;
}

// The slot's Image, made (and the table grown to hold slots up to slot + 10) if needed.
Image& slotForMaking(int32_t slot) {
    if (static_cast<size_t>(slot) >= table.size()) table.resize(static_cast<size_t>(slot) + 11);
    std::unique_ptr<Image>& image = table[static_cast<size_t>(slot)];
    if (!image) image = std::make_unique<Image>();
    return *image;
}

void release(Image& image) {
    endDrawingOn(image);
    image.inUse = false;
    image.pending = false;
    image.width = image.height = image.storedWidth = image.storedHeight = 0;
}

// Room for `count` pixels; memory already there is reused as it is.
bool reserve(std::vector<uint32_t>& memory, size_t count) {
    if (memory.size() >= count) return true;
    try {
        std::vector<uint32_t>().swap(memory); // the old contents need not be copied over
        memory.resize(count);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

size_t area(int32_t width, int32_t height) {
    return static_cast<size_t>(width) * static_cast<size_t>(height);
}

ImageHandle make(int32_t slot, int32_t width, int32_t height, bool black) {
    if (slot < 0) return nullptr;
    Image& image = slotForMaking(slot);
    currentSlot = slot;
    release(image);
    if (width <= 0 || height <= 0 || width > largestSide || height > largestSide) return nullptr;
    if (!reserve(image.pixels, area(width, height))) return nullptr;
    image.inUse = true;
    image.width = image.storedWidth = width;
    image.height = image.storedHeight = height;
    if (black) fillPixels(storedView(image), blackPixel);
    return &image;
}

// Enlarges a picture of which only the top-left part is held: pixels whose
// source was never held stay black.
void scalePartlyHeld(const PixelView& from, const PixelView& to, int32_t oldWidth,
                     int32_t oldHeight, int32_t width, int32_t height) {
    fillPixels(to, blackPixel);
    for (int32_t y = 0; y < to.height; ++y) {
        const int64_t sy = int64_t{y} * oldHeight / height;
        if (sy >= from.height) continue;
        for (int32_t x = 0; x < to.width; ++x) {
            const int64_t sx = int64_t{x} * oldWidth / width;
            if (sx < from.width) to.row(y)[x] = from.row(static_cast<int32_t>(sy))[sx];
        }
    }
}

// A reduction (in either direction): each pixel is the average colour of the
// block of source pixels it covers, the block at least one pixel each way.
void reducePixels(const PixelView& from, const PixelView& to, int32_t width, int32_t height) {
    for (int32_t y = 0; y < to.height; ++y) {
        const int64_t top = int64_t{y} * from.height / height;
        const int64_t bottom = std::max(top + 1, (int64_t{y} + 1) * from.height / height);
        for (int32_t x = 0; x < to.width; ++x) {
            const int64_t left = int64_t{x} * from.width / width;
            const int64_t right = std::max(left + 1, (int64_t{x} + 1) * from.width / width);
            uint64_t red = 0, green = 0, blue = 0;
            for (int64_t sy = top; sy < bottom; ++sy)
                for (int64_t sx = left; sx < right; ++sx) {
                    const uint32_t p = from.row(static_cast<int32_t>(sy))[sx];
                    red += (p >> 16) & 0xFF, green += (p >> 8) & 0xFF, blue += p & 0xFF;
                }
            const uint64_t n = static_cast<uint64_t>((bottom - top) * (right - left));
            to.row(y)[x] = blackPixel | static_cast<uint32_t>((red + n / 2) / n) << 16 |
                           static_cast<uint32_t>((green + n / 2) / n) << 8 |
                           static_cast<uint32_t>((blue + n / 2) / n);
        }
    }
}

} // namespace

Image* imageOfHandle(const void* handle) {
    if (!handle) return nullptr;
    for (const std::unique_ptr<Image>& image : table)
        if (image.get() == handle) return image->inUse ? image.get() : nullptr;
    return nullptr;
}

Image* currentImageOrNull() {
    return imageInSlot(currentSlot);
}

PixelView storedView(Image& image) {
    return PixelView{image.pixels.data(), image.storedWidth, image.storedHeight, image.storedWidth};
}

PixelView sourceView(Image& image) {
    return PixelView{image.pixels.data(), image.sourceWidth, image.sourceHeight, image.sourceWidth};
}

bool settle(Image& image) {
    if (!image.pending) return true;
    if (!reserve(image.spare, area(image.storedWidth, image.storedHeight))) {
        release(image);
        return false;
    }
    const PixelView made{image.spare.data(), image.storedWidth, image.storedHeight,
                         image.storedWidth};
    scalePixels(sourceView(image), made, image.width, image.height);
    image.pixels.swap(image.spare);
    image.pending = false;
    return true;
}

void initImages() {
    table.clear();
    table.resize(11);
    currentSlot = -1;
}

ImageHandle makeImage(int32_t slot, int32_t width, int32_t height) {
    return make(slot, width, height, true);
}

ImageHandle makeImageToOverwrite(int32_t slot, int32_t width, int32_t height) {
    return make(slot, width, height, false);
}

ImageHandle scaleImage(int32_t slot, int32_t width, int32_t height) {
    Image* image = imageInSlot(slot);
    if (!image) return nullptr;
    currentSlot = slot;
    endDrawingOn(*image);
    // An enlargement of an enlargement starts from the pixels held of the first.
    if (!settle(*image)) return nullptr;
    const int32_t storedWidth = clipWidth > 0 ? std::min(width, clipWidth) : width;
    const int32_t storedHeight = clipHeight > 0 ? std::min(height, clipHeight) : height;
    if (width <= 0 || height <= 0 || storedWidth > largestSide || storedHeight > largestSide) {
        release(*image);
        return nullptr;
    }
    const bool whole = image->storedWidth == image->width && image->storedHeight == image->height;
    if (whole && width >= image->width && height >= image->height) {
        // The whole picture is held: it becomes what the enlargement is made from.
        image->sourceWidth = image->width;
        image->sourceHeight = image->height;
        image->pending = true;
    } else {
        if (!reserve(image->spare, area(storedWidth, storedHeight))) {
            release(*image);
            return nullptr;
        }
        const PixelView made{image->spare.data(), storedWidth, storedHeight, storedWidth};
        if (whole)
            reducePixels(storedView(*image), made, width, height);
        else
            scalePartlyHeld(storedView(*image), made, image->width, image->height, width, height);
        image->pixels.swap(image->spare);
    }
    image->width = width;
    image->height = height;
    image->storedWidth = storedWidth;
    image->storedHeight = storedHeight;
    return image;
}

void setImageClip(int32_t width, int32_t height) {
    clipWidth = std::max(width, 0);
    clipHeight = std::max(height, 0);
}

ImageHandle imageHandle(int32_t slot) {
    Image* image = imageInSlot(slot);
    currentSlot = image ? slot : -1;
    return image;
}

PixelView pixelsOfImage(ImageHandle handle) {
    Image* image = imageOfHandle(handle);
    return image && settle(*image) ? storedView(*image) : PixelView{};
}

PixelView imagePixels(int32_t slot) {
    return pixelsOfImage(imageInSlot(slot));
}

void freeAllImages() {
    endDrawing();
    for (std::unique_ptr<Image>& image : table)
        if (image) {
            release(*image);
            std::vector<uint32_t>().swap(image->pixels);
            std::vector<uint32_t>().swap(image->spare);
        }
    currentSlot = -1;
}
