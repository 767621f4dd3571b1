// Paints the updater's logo (400 x 248) and writes it as an 8-bit BMP with its own 256-colour
// palette: the background and the disc are computed per pixel, the texts drawn with GDI in the
// program's Japanese font, and the result reduced to 256 colours by median cut.
//   MakeLogo <output.bmp>
#include "MedianCut.h"

#include "framework/win32/GdiHandle.h"

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 400;
constexpr int kHeight = 248;
constexpr int kColours = 256;
constexpr int kBitsPerPixel = 8;

// The upper part carries the picture; the lower band under it stays plain for the buttons
// (114 x 43 at (44, 174) and (244, 174)).
constexpr int kBandTop = 160;
constexpr int kAccentHeight = 2;

constexpr double kPi = 3.14159265358979323846;

struct Colour {
    double r, g, b;
};
constexpr Colour kNavy{16, 30, 62};
constexpr Colour kSteel{38, 98, 142};
constexpr Colour kGlow{96, 156, 206};
constexpr Colour kAccent{232, 176, 72};
constexpr Colour kBand{236, 240, 245};
constexpr Colour kWhite{255, 255, 255};

// The disc: centre, outer radius and the radii of its rings, from the hole outwards.
constexpr double kDiscX = 316;
constexpr double kDiscY = 80;
constexpr double kDiscRadius = 64;
constexpr double kHoleRadius = 7.5;
constexpr double kClearRadius = 16;
constexpr double kHubRadius = 18.5;
constexpr double kMirrorRadius = 24;
constexpr double kRimWidth = 1.6;
constexpr double kShadowDx = 5;
constexpr double kShadowDy = 6;
// Each pixel of the disc is the mean of kSamples x kSamples points, for smooth edges.
constexpr int kSamples = 4;

Colour Mix(const Colour& a, const Colour& b, double t)
{
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

double SmoothStep(double edge0, double edge1, double x)
{
    const double t = std::clamp((x - edge0) / (edge1 - edge0), 0.0, 1.0);
    return t * t * (3 - 2 * t);
}

Colour Hue(double turns)
{
    const double h = (turns - std::floor(turns)) * 6;
    const double f = h - std::floor(h);
    switch (static_cast<int>(h)) {
    case 0: return {1, f, 0};
    case 1: return {1 - f, 1, 0};
    case 2: return {0, 1, f};
    case 3: return {0, 1 - f, 1};
    case 4: return {f, 0, 1};
    default: return {1, 0, 1 - f};
    }
}

// A 24-bit top-down DIB section in a memory DC: the painting surface.
class Surface {
public:
    Surface()
    {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = kWidth;
        info.bmiHeader.biHeight = -kHeight;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 24;
        void* bits = nullptr;
        bitmap_.Reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        dc_.Reset(CreateCompatibleDC(nullptr));
        if (!bitmap_ || !dc_)
            throw std::runtime_error("no drawing surface");
        bits_ = static_cast<BYTE*>(bits);
        // The DC's own bitmap comes back before the DC and the section are deleted.
        saved_.emplace(dc_.Get());
        SelectObject(dc_.Get(), bitmap_.Get());
    }
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;

    HDC DC() const { return dc_.Get(); }

    Colour Get(int x, int y) const
    {
        const BYTE* p = Pixel(x, y);
        return {double(p[2]), double(p[1]), double(p[0])};
    }
    void Set(int x, int y, const Colour& c)
    {
        BYTE* p = Pixel(x, y);
        auto byte = [](double v) { return static_cast<BYTE>(std::clamp(std::lround(v), 0L, 255L)); };
        p[0] = byte(c.b);
        p[1] = byte(c.g);
        p[2] = byte(c.r);
    }
    void Blend(int x, int y, const Colour& c, double alpha) { Set(x, y, Mix(Get(x, y), c, alpha)); }

    std::vector<Rgb> Pixels() const
    {
        GdiFlush();
        std::vector<Rgb> pixels;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                const BYTE* p = Pixel(x, y);
                pixels.push_back(Rgb{p[2], p[1], p[0]});
            }
        return pixels;
    }

private:
    static constexpr int kStride = (kWidth * 3 + 3) & ~3;
    BYTE* Pixel(int x, int y) const { return bits_ + y * kStride + x * 3; }

    TOwnedBitmap bitmap_;
    TOwnedDC dc_;
    BYTE* bits_ = nullptr;
    std::optional<TSavedDC> saved_;
};

void PaintBackground(Surface& s)
{
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            if (y >= kBandTop + kAccentHeight) {
                s.Set(x, y, kBand);
                continue;
            }
            if (y >= kBandTop) {
                s.Set(x, y, Mix(kAccent, kWhite, 0.15 * x / kWidth));
                continue;
            }
            Colour c = Mix(kNavy, kSteel, 0.62 * y / kBandTop + 0.38 * x / kWidth);
            // A soft light behind the disc.
            const double d = std::hypot(x - kDiscX, y - kDiscY);
            c = Mix(c, kGlow, 0.28 * (1 - SmoothStep(0, 150, d)));
            s.Set(x, y, c);
        }
}

// Faint circles around the disc, as if it were spinning.
void PaintOrbits(Surface& s)
{
    const double radii[] = {84, 102, 124, 150};
    for (int y = 0; y < kBandTop; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const double d = std::hypot(x - kDiscX, y - kDiscY);
            for (double r : radii) {
                const double coverage = 1 - std::clamp(std::fabs(d - r) - 0.2, 0.0, 1.0);
                if (coverage > 0)
                    s.Blend(x, y, kWhite, 0.10 * coverage * (1 - r / 200));
            }
        }
}

void PaintShadow(Surface& s)
{
    for (int y = 0; y < kBandTop; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const double d = std::hypot(x - kDiscX - kShadowDx, y - kDiscY - kShadowDy);
            const double a = 0.45 * (1 - SmoothStep(kDiscRadius - 5, kDiscRadius + 7, d));
            if (a > 0)
                s.Blend(x, y, kNavy, a);
        }
}

// The disc's colour at a point given by radius and angle, with its opacity.
Colour DiscSurface(double r, double angle, double& alpha)
{
    alpha = 1;
    if (r < kClearRadius) {
        alpha = 0.45;
        return {205, 220, 236};
    }
    if (r < kHubRadius)
        return {150, 162, 180};
    if (r < kMirrorRadius)
        return {214, 220, 228};
    if (r > kDiscRadius - kRimWidth)
        return {168, 178, 194};
    // The recorded area: silver with a rainbow sheen that turns with the angle, two light
    // streaks across it and fine grooves.
    const Colour silver{186, 196, 210};
    const Colour sheen = Hue(angle / (2 * kPi) * 2 + r / 90);
    Colour c = Mix(silver, {sheen.r * 255, sheen.g * 255, sheen.b * 255}, 0.20);
    const double streak = std::pow(std::fabs(std::cos(angle - 0.9)), 6);
    c = Mix(c, kWhite, 0.65 * streak);
    const double groove = 3 * std::sin(r * 1.7);
    return {c.r + groove, c.g + groove, c.b + groove};
}

void PaintDisc(Surface& s)
{
    const int left = static_cast<int>(kDiscX - kDiscRadius) - 1;
    const int right = static_cast<int>(kDiscX + kDiscRadius) + 1;
    const int top = static_cast<int>(kDiscY - kDiscRadius) - 1;
    const int bottom = static_cast<int>(kDiscY + kDiscRadius) + 1;
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x) {
            Colour sum{0, 0, 0};
            double cover = 0;
            for (int sy = 0; sy < kSamples; ++sy)
                for (int sx = 0; sx < kSamples; ++sx) {
                    const double px = x + (sx + 0.5) / kSamples - kDiscX;
                    const double py = y + (sy + 0.5) / kSamples - kDiscY;
                    const double r = std::hypot(px, py);
                    if (r > kDiscRadius || r < kHoleRadius)
                        continue;
                    double alpha = 0;
                    Colour c = DiscSurface(r, std::atan2(py, px), alpha);
                    sum = {sum.r + c.r * alpha, sum.g + c.g * alpha, sum.b + c.b * alpha};
                    cover += alpha;
                }
            if (cover <= 0)
                continue;
            const double n = kSamples * kSamples;
            s.Blend(x, y, {sum.r / cover, sum.g / cover, sum.b / cover}, cover / n);
        }
}

COLORREF Ref(const Colour& c)
{
    return RGB(int(c.r), int(c.g), int(c.b));
}

// Text in the program's font ("ＭＳ Ｐゴシック"), anti-aliased, optionally with a shadow.
void Text(Surface& s, int x, int y, int height, int weight, int spacing, const Colour& colour,
          const std::string& text, bool shadow)
{
    TOwnedFont font(CreateFontA(-height, 0, 0, 0, weight, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                                OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY,
                                VARIABLE_PITCH | FF_SWISS, "ＭＳ Ｐゴシック"));
    TSavedDC saved(s.DC());
    SelectObject(s.DC(), font.Get());
    SetBkMode(s.DC(), TRANSPARENT);
    SetTextCharacterExtra(s.DC(), spacing);
    if (shadow) {
        SetTextColor(s.DC(), Ref({8, 16, 36}));
        TextOutA(s.DC(), x + 2, y + 2, text.data(), static_cast<int>(text.size()));
    }
    SetTextColor(s.DC(), Ref(colour));
    TextOutA(s.DC(), x, y, text.data(), static_cast<int>(text.size()));
}

int TextWidth(Surface& s, int height, int weight, const std::string& text)
{
    TOwnedFont font(CreateFontA(-height, 0, 0, 0, weight, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                                OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY,
                                VARIABLE_PITCH | FF_SWISS, "ＭＳ Ｐゴシック"));
    TSavedDC saved(s.DC());
    SelectObject(s.DC(), font.Get());
    SIZE size{};
    GetTextExtentPoint32A(s.DC(), text.data(), static_cast<int>(text.size()), &size);
    return size.cx;
}

void PaintTexts(Surface& s)
{
    Text(s, 30, 24, 11, FW_NORMAL, 3, kAccent, "CD LABEL DESIGNER", false);
    Text(s, 26, 40, 46, FW_BOLD, 1, kWhite, "ザンデラ2", true);
    Text(s, 30, 98, 28, FW_BOLD, 0, kAccent, "2.02", true);
    const int versionWidth = TextWidth(s, 28, FW_BOLD, "2.02");
    Text(s, 30 + versionWidth + 10, 105, 18, FW_NORMAL, 1, {214, 226, 240}, "アップデータ", true);

    const std::string note = "ザンデラ2 のファイルを 2.02 に更新します";
    const int noteHeight = 12;
    Text(s, (kWidth - TextWidth(s, noteHeight, FW_NORMAL, note)) / 2, 227, noteHeight, FW_NORMAL, 0,
         {112, 124, 140}, note, false);
}

void WriteBmp(const std::string& path, const std::vector<Rgb>& palette, const std::vector<std::uint8_t>& indices)
{
    const int rowBytes = (kWidth + 3) & ~3;
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{};
    const DWORD tableBytes = kColours * sizeof(RGBQUAD);
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(info) + tableBytes;
    file.bfSize = file.bfOffBits + rowBytes * kHeight;
    info.biSize = sizeof(info);
    info.biWidth = kWidth;
    info.biHeight = kHeight;
    info.biPlanes = 1;
    info.biBitCount = kBitsPerPixel;
    info.biCompression = BI_RGB;
    info.biSizeImage = rowBytes * kHeight;
    info.biClrUsed = kColours;
    std::vector<RGBQUAD> table(kColours, RGBQUAD{0, 0, 0, 0});
    for (std::size_t i = 0; i < palette.size(); ++i)
        table[i] = RGBQUAD{palette[i].b, palette[i].g, palette[i].r, 0};

    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out)
        throw std::runtime_error("cannot write " + path);
    std::fwrite(&file, sizeof(file), 1, out);
    std::fwrite(&info, sizeof(info), 1, out);
    std::fwrite(table.data(), sizeof(RGBQUAD), table.size(), out);
    std::vector<std::uint8_t> row(rowBytes, 0);
    for (int y = kHeight - 1; y >= 0; --y) {   // bottom-up
        std::copy_n(indices.begin() + static_cast<long>(y) * kWidth, kWidth, row.begin());
        std::fwrite(row.data(), 1, row.size(), out);
    }
    const bool ok = std::ferror(out) == 0;
    if (std::fclose(out) != 0 || !ok)
        throw std::runtime_error("cannot write " + path);
}

}   // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: MakeLogo output.bmp\n");
        return 2;
    }
    try {
        Surface surface;
        PaintBackground(surface);
        PaintOrbits(surface);
        PaintShadow(surface);
        PaintDisc(surface);
        PaintTexts(surface);
        const std::vector<Rgb> pixels = surface.Pixels();
        const std::vector<Rgb> palette = MedianCutPalette(pixels, kColours);
        WriteBmp(argv[1], palette, MapToPalette(pixels, palette));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "MakeLogo: %s\n", e.what());
        return 1;
    }
    return 0;
}
