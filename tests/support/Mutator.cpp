#include "support/Mutator.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace {

void SetSizeField(MutatedBytes& c, Rng& rng, const MutationSpots& spots)
{
    if (spots.sizeFields.empty())
        return;
    const size_t at = spots.sizeFields[rng.Below(static_cast<std::uint32_t>(spots.sizeFields.size()))];
    if (at + sizeof(std::int32_t) > c.size())
        return;
    std::int32_t old = 0;
    std::memcpy(&old, c.data() + at, sizeof(old));
    static const std::int32_t extremes[] = {0,        -1,         1,          INT32_MAX, INT32_MIN,
                                            0x7FF00000, 0x40000000, 0x10000, 0xFFFF};
    std::int32_t v;
    switch (rng.Below(4)) {
    case 0: v = old + static_cast<std::int32_t>(rng.Below(200)) - 100; break;
    case 1: v = static_cast<std::int32_t>(rng.Next()); break;
    case 2: v = static_cast<std::int32_t>(rng.Below(spots.nearValueRange)); break;
    default: v = extremes[rng.Below(sizeof(extremes) / sizeof(extremes[0]))];
    }
    std::memcpy(c.data() + at, &v, sizeof(v));
}

}  // namespace

void Mutate(MutatedBytes& c, Rng& rng, const MutationSpots& spots)
{
    unsigned steps = 1 + rng.Below(4);
    for (unsigned s = 0; s < steps; ++s) {
        size_t n = c.size();
        switch (rng.Below(10)) {
        case 0:   // flip one bit
        case 1:
            if (n)
                c[rng.Below(static_cast<std::uint32_t>(n))] ^= static_cast<unsigned char>(1u << rng.Below(8));
            break;
        case 2:   // a random byte, mostly where the steering fields are
            if (n > spots.hotStart) {
                const size_t range = rng.Below(2) ? std::min(n - spots.hotStart, spots.hotLength)
                                                  : n - spots.hotStart;
                c[spots.hotStart + rng.Below(static_cast<std::uint32_t>(range))] =
                    static_cast<unsigned char>(rng.Next());
            }
            break;
        case 3:   // truncate
            c.resize(rng.Below(static_cast<std::uint32_t>(n + 1)));
            break;
        case 4: {   // append noise
            unsigned extra = 1 + rng.Below(64);
            for (unsigned i = 0; i < extra; ++i)
                c.push_back(static_cast<unsigned char>(rng.Next()));
            break;
        }
        case 5:
            SetSizeField(c, rng, spots);
            break;
        case 6:   // insert a byte
            c.insert(c.begin() + rng.Below(static_cast<std::uint32_t>(n + 1)),
                     static_cast<unsigned char>(rng.Next()));
            break;
        case 7:   // delete a range
            if (n) {
                size_t at = rng.Below(static_cast<std::uint32_t>(n));
                size_t len = std::min<size_t>(n - at, 1 + rng.Below(32));
                c.erase(c.begin() + at, c.begin() + at + len);
            }
            break;
        case 8:   // duplicate a range
            if (n) {
                size_t at = rng.Below(static_cast<std::uint32_t>(n));
                size_t len = std::min<size_t>(n - at, 1 + rng.Below(64));
                MutatedBytes piece(c.begin() + at, c.begin() + at + len);
                c.insert(c.begin() + rng.Below(static_cast<std::uint32_t>(c.size() + 1)), piece.begin(),
                         piece.end());
            }
            break;
        default:   // overwrite a run with one value
            if (n) {
                size_t at = rng.Below(static_cast<std::uint32_t>(n));
                size_t len = std::min<size_t>(n - at, 1 + rng.Below(16));
                std::memset(c.data() + at, rng.Below(2) ? 0 : 0xFF, len);
            }
            break;
        }
    }
}
