#include "MedianCut.h"

#include <algorithm>
#include <array>
#include <map>

namespace {

struct Box {
    std::vector<Rgb> pixels;
    int Channel(const Rgb& c, int channel) const { return channel == 0 ? c.r : channel == 1 ? c.g : c.b; }
    // The channel with the widest range and that range.
    std::pair<int, int> Widest() const
    {
        std::array<int, 3> low{255, 255, 255}, high{0, 0, 0};
        for (const Rgb& c : pixels)
            for (int ch = 0; ch < 3; ++ch) {
                low[ch] = std::min(low[ch], Channel(c, ch));
                high[ch] = std::max(high[ch], Channel(c, ch));
            }
        int best = 0;
        for (int ch = 1; ch < 3; ++ch)
            if (high[ch] - low[ch] > high[best] - low[best])
                best = ch;
        return {best, high[best] - low[best]};
    }
    // Large boxes of spread colours are split first; a flat box cannot be split.
    double Priority() const
    {
        return pixels.size() < 2 ? 0.0 : static_cast<double>(Widest().second) * static_cast<double>(pixels.size());
    }
    Rgb Mean() const
    {
        unsigned long long sum[3] = {};
        for (const Rgb& c : pixels) {
            sum[0] += c.r;
            sum[1] += c.g;
            sum[2] += c.b;
        }
        const unsigned long long n = pixels.size();
        return Rgb{static_cast<std::uint8_t>((sum[0] + n / 2) / n), static_cast<std::uint8_t>((sum[1] + n / 2) / n),
                   static_cast<std::uint8_t>((sum[2] + n / 2) / n)};
    }
};

int Distance(const Rgb& a, const Rgb& b)
{
    const int dr = a.r - b.r, dg = a.g - b.g, db = a.b - b.b;
    // Weighted as the eye sees differences: green most, blue least.
    return 3 * dr * dr + 4 * dg * dg + 2 * db * db;
}

}   // namespace

std::vector<Rgb> MedianCutPalette(const std::vector<Rgb>& pixels, int colours)
{
    std::vector<Box> boxes(1);
    boxes[0].pixels = pixels;
    while (static_cast<int>(boxes.size()) < colours) {
        auto widest = std::max_element(boxes.begin(), boxes.end(),
                                       [](const Box& a, const Box& b) { return a.Priority() < b.Priority(); });
        if (widest->Priority() == 0.0)
            break;
        const int channel = widest->Widest().first;
        std::vector<Rgb>& list = widest->pixels;
        auto middle = list.begin() + static_cast<long>(list.size() / 2);
        std::nth_element(list.begin(), middle, list.end(), [&](const Rgb& a, const Rgb& b) {
            return widest->Channel(a, channel) < widest->Channel(b, channel);
        });
        Box upper;
        upper.pixels.assign(middle, list.end());
        list.erase(middle, list.end());
        boxes.push_back(std::move(upper));
    }
    std::vector<Rgb> palette;
    for (const Box& box : boxes)
        palette.push_back(box.Mean());
    return palette;
}

std::vector<std::uint8_t> MapToPalette(const std::vector<Rgb>& pixels, const std::vector<Rgb>& palette)
{
    std::map<std::uint32_t, std::uint8_t> known;
    std::vector<std::uint8_t> indices;
    indices.reserve(pixels.size());
    for (const Rgb& c : pixels) {
        const std::uint32_t key = (static_cast<std::uint32_t>(c.r) << 16) | (c.g << 8) | c.b;
        auto found = known.find(key);
        if (found == known.end()) {
            std::size_t best = 0;
            for (std::size_t i = 1; i < palette.size(); ++i)
                if (Distance(c, palette[i]) < Distance(c, palette[best]))
                    best = i;
            found = known.emplace(key, static_cast<std::uint8_t>(best)).first;
        }
        indices.push_back(found->second);
    }
    return indices;
}
