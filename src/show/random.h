// The program's random generator (RANROT type W).
#pragma once

#include <cstdint>

void randomSeed(uint32_t seed);
uint64_t randomNext();
// A value from 0 to max inclusive, each equally likely; INT32_MIN for a negative max.
int32_t randomUpTo(int32_t max);
