// The built-in catalogue of tartans.
#pragma once

#include <array>
#include <cstdint>
#include <string>

struct TartanRecord {
    std::string name;
    int16_t warpCount = 0;
    int16_t weftCount = 0;
    std::string paletteSett;
    std::string warpSett;
    std::string weftSett;
};

constexpr int tartanCount = 272;
using TartanCatalogue = std::array<TartanRecord, tartanCount>;

// The program's catalogue: 272 empty records until buildCatalogue fills them.
TartanCatalogue& tartanCatalogue();

// Fills every record from the constant data; the sett fields stay scrambled.
void buildCatalogue();

// One record of the constant data as the build generates it. Where the warp
// and weft counts are equal the two sett pointers are the same text.
struct StoredTartan {
    const char* name;
    int16_t warpCount;
    int16_t weftCount;
    const char* paletteSett;
    const char* warpSett;
    const char* weftSett;
};
extern const StoredTartan storedTartans[tartanCount];
