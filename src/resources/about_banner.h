// The About page's banner: a 340 x 50, 16-colour BMP file image.
#pragma once

#include <cstddef>
#include <cstdint>

extern const uint8_t aboutBannerData[];
extern const size_t aboutBannerSize;
