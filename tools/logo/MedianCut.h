#pragma once
// Reduces a 24-bit picture to a palette of at most 256 colours by median cut: the colour box
// with the widest spread (weighted by its pixel count) is split at its median until there are
// enough boxes; each box gives the mean of its pixels.
#include <cstdint>
#include <vector>

struct Rgb {
    std::uint8_t r, g, b;
};

std::vector<Rgb> MedianCutPalette(const std::vector<Rgb>& pixels, int colours);

// Index of the palette colour nearest to each pixel.
std::vector<std::uint8_t> MapToPalette(const std::vector<Rgb>& pixels, const std::vector<Rgb>& palette);
