#include "show/random.h"

namespace {

struct RandomGenerator {
    uint32_t first[17];
    uint32_t second[17];
    int p1;
    int p2;
};

RandomGenerator generator{};

uint32_t rotateLeft(uint32_t x, int bits) { return (x << bits) | (x >> (32 - bits)); }

}  // namespace

void randomSeed(uint32_t seed) {
    uint32_t x = seed;
    for (int i = 0; i < 34; ++i) {
        x = x * 2891336453u + 1u;
        if (i % 2 == 0)
            generator.first[i / 2] = x;
        else
            generator.second[i / 2] = x;
    }
    generator.p1 = 0;
    generator.p2 = 10;
    for (int i = 0; i < 31; ++i) randomNext();
}

uint64_t randomNext() {
    RandomGenerator& g = generator;
    const uint32_t a = rotateLeft(g.first[g.p1], 19) + g.first[g.p2];
    const uint32_t b = rotateLeft(g.second[g.p1], 27) + g.second[g.p2];
    g.first[g.p1] = b;
    g.second[g.p1] = a;
    g.p1 = g.p1 == 0 ? 16 : g.p1 - 1;
    g.p2 = g.p2 == 0 ? 16 : g.p2 - 1;
    return (static_cast<uint64_t>(a) << 32) | b;
}

int32_t randomUpTo(int32_t max) {
    const uint64_t v = randomNext();
    if (max < 0) return INT32_MIN;
    const uint64_t n = static_cast<uint64_t>(max) + 1;
    // High 64 bits of the 128-bit product v * n, computed from 32-bit halves.
    const uint64_t low = (v & 0xFFFFFFFFu) * n;
    const uint64_t high = (v >> 32) * n + (low >> 32);
    return static_cast<int32_t>(high >> 32);
}
