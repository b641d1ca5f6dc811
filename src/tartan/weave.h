// Weaving a tartan's tile by the 2/2 twill.
#pragma once

#include <array>
#include <cstdint>

#include "tartan/catalogue.h"
#include "tartan/sett.h"

// Cell (row, column): non-zero where the weft thread shows.
using WeavePattern = std::array<std::array<uint8_t, 4>, 4>;

WeavePattern& weavePattern();
void initWeavePattern();

// Weaves the record's tile into image slot 0, warpCount by weftCount pixels:
// only its first `columns` and `rows` (the part that a picture enlarged past
// the screen shows), the rest of the image keeping what its memory held.
void weaveTile(const TartanRecord& record, const ThreadColours& warpColours,
               const ThreadColours& weftColours, int32_t columns = INT32_MAX,
               int32_t rows = INT32_MAX);
