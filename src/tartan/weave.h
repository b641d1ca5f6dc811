// Weaving a tartan's tile by the 2/2 twill.
#pragma once

#include <array>
#include <cstdint>

#include "platform/drawing_services.h"
#include "tartan/catalogue.h"
#include "tartan/sett.h"

// Cell (row, column): non-zero where the weft thread shows.
using WeavePattern = std::array<std::array<uint8_t, 4>, 4>;

WeavePattern& weavePattern();
void initWeavePattern();

// Weaves the record's tile into image slot 0, warpCount by weftCount pixels.
void weaveTile(const TartanRecord& record, const ThreadColours& warpColours,
               const ThreadColours& weftColours);

// Covers `dst` with the record's tile enlarged `zoom` times, repeated from
// dst's top-left corner: the picture that tiling dst with weaveTile's tile
// gives, without weaving the tile. Each distinct row is woven once, as far as
// it shows.
void weaveRepeated(const TartanRecord& record, const ThreadColours& warpColours,
                   const ThreadColours& weftColours, int32_t zoom, const PixelView& dst);
