#pragma once
// The benchmarks' payload, the same bytes for the same size on every run; shared by the
// benchmark programs and the host tool that makes the update benchmark's resource.
#include <cstddef>
#include <cstdint>
#include <vector>

// Program-like data: text, tables of growing numbers, code-like repeats and noise; compresses
// at level 9 to about 37 % (the shipped ZANDERA2.EXE: 2,184,192 -> 972,529 bytes, 45 %).
inline std::vector<unsigned char> MakeBenchPayload(size_t size)
{
    static const char* const words[] = {"label ", "disc ", "print ", "layout ", "\r\n", "frame ",
                                        "TfrmMain", "Canvas", "Bitmap ", "Picture", "jacket "};
    std::vector<unsigned char> out;
    out.reserve(size);
    std::uint32_t state = 0x5A413202;
    auto next = [&state] {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    };
    while (out.size() < size) {
        std::uint32_t kind = next() % 16;
        size_t run = 64 + next() % 1024;
        for (size_t i = 0; i < run && out.size() < size; ++i) {
            if (kind < 6) {            // noise
                out.push_back(static_cast<unsigned char>(next()));
            } else if (kind < 11) {    // text
                for (const char* w = words[next() % 11]; *w && out.size() < size; ++w)
                    out.push_back(static_cast<unsigned char>(*w));
            } else if (kind < 13) {    // table of little-endian numbers
                std::uint32_t v = static_cast<std::uint32_t>(out.size() / 4 * 3 + (next() & 7));
                for (int b = 0; b < 4 && out.size() < size; ++b)
                    out.push_back(static_cast<unsigned char>(v >> (8 * b)));
            } else {                   // code-like: short patterns with varying operands
                static const unsigned char ops[] = {0x8B, 0x45, 0x89, 0x55, 0xE8, 0x50, 0x6A, 0xC3};
                out.push_back(ops[next() % 8]);
                if (out.size() < size)
                    out.push_back(static_cast<unsigned char>(next() & 0x1F));
            }
        }
    }
    return out;
}
