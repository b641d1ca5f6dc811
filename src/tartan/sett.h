// Scrambled sett strings and their parsing into colours.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Colour values 0x00BBGGRR; one entry per palette field plus a final 0.
using Palette = std::vector<int32_t>;
// The colour of every thread of a warp or weft, with room for count + 2.
using ThreadColours = std::vector<int32_t>;

// Byte i becomes NOT (text[i] XOR key[i mod key length]); its own inverse.
std::string unscrambleSett(const std::string& text, const std::string& key);

// Unscrambles the sett fields of every catalogue record, keyed by its name.
void unscrambleCatalogue();

Palette parsePalette(const std::string& paletteSett);
ThreadColours parseThreadSett(const std::string& threadSett, const Palette& palette,
                              int16_t threadCount);
