#pragma once
// Seeded mutations of parser inputs for the robustness runs: bit flips, random bytes where the
// steering fields live, boundary values in 32-bit size fields, truncation, extension, inserted,
// deleted, duplicated and overwritten ranges. The same seed gives the same inputs.
#include <cstdint>
#include <vector>

using MutatedBytes = std::vector<unsigned char>;

class Rng {
public:
    explicit Rng(std::uint32_t seed) : state_(seed * 2654435761u + 1) {}
    std::uint32_t Next()
    {
        // xorshift32
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }
    std::uint32_t Below(std::uint32_t n) { return n ? Next() % n : 0; }

private:
    std::uint32_t state_;
};

// Where a format keeps what steers its parser.
struct MutationSpots {
    std::vector<size_t> sizeFields;   // offsets of 32-bit little-endian counts and sizes
    size_t hotStart = 0;              // random bytes go mostly into [hotStart, hotStart + hotLength)
    size_t hotLength = 64;
    std::uint32_t nearValueRange = 1 << 20;   // "plausible" values for the size fields
};

void Mutate(MutatedBytes& bytes, Rng& rng, const MutationSpots& spots);
