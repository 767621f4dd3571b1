// Draws the updater's application icon and writes it as a Windows .ico file:
//   appicon OUTPUT.ico
// A disc with a printable label and an upward arrow, in 16, 32 and 48 pixels, each with 16
// colours (the standard VGA palette) and 256 colours. Drawn procedurally, so the same sources
// always give the same bytes and nothing binary lives in the repository.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <string>
#include <vector>

namespace {

struct Rgb {
    double r, g, b;
};

// What a point of the picture shows; None is transparent.
enum class Material { None, Rim, Silver, Label, Text, HubEdge, ArrowEdge, Arrow };

// ---------------------------------------------------------------------------------------------
// Palettes

// The 16 colours every 16-colour display has, in the system's order.
const std::array<Rgb, 16> kVgaPalette = {{
    {0, 0, 0}, {128, 0, 0}, {0, 128, 0}, {128, 128, 0},
    {0, 0, 128}, {128, 0, 128}, {0, 128, 128}, {192, 192, 192},
    {128, 128, 128}, {255, 0, 0}, {0, 255, 0}, {255, 255, 0},
    {0, 0, 255}, {255, 0, 255}, {0, 255, 255}, {255, 255, 255},
}};

enum VgaIndex : std::uint8_t {
    kBlack = 0, kGreen = 2, kNavy = 4, kSilver = 7, kGrey = 8, kLime = 10, kWhite = 15,
};

constexpr int kCubeLevels = 6;   // 6 x 6 x 6 colour cube
constexpr int kGreyLevels = 24;  // plus this many greys fill the 256 entries
constexpr int kMaxLevel = 255;

// 256 colours: the VGA colours, a colour cube and a grey ramp.
std::vector<Rgb> Palette256()
{
    std::vector<Rgb> palette(kVgaPalette.begin(), kVgaPalette.end());
    const double step = static_cast<double>(kMaxLevel) / (kCubeLevels - 1);
    for (int r = 0; r < kCubeLevels; ++r)
        for (int g = 0; g < kCubeLevels; ++g)
            for (int b = 0; b < kCubeLevels; ++b)
                palette.push_back({r * step, g * step, b * step});
    for (int i = 1; i <= kGreyLevels; ++i) {
        double v = std::round(i * static_cast<double>(kMaxLevel) / (kGreyLevels + 1));
        palette.push_back({v, v, v});
    }
    return palette;
}

std::uint8_t Nearest(const std::vector<Rgb>& palette, const Rgb& c)
{
    std::size_t best = 0;
    double bestDistance = 1e300;
    for (std::size_t i = 0; i < palette.size(); ++i) {
        double dr = palette[i].r - c.r, dg = palette[i].g - c.g, db = palette[i].b - c.b;
        double d = dr * dr + dg * dg + db * db;
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    return static_cast<std::uint8_t>(best);
}

// ---------------------------------------------------------------------------------------------
// The design, in pixels of an icon of side `size` (y grows downwards)

struct Point {
    double x, y;
};

double SegmentDistance(Point p, Point a, Point b)
{
    double vx = b.x - a.x, vy = b.y - a.y;
    double t = ((p.x - a.x) * vx + (p.y - a.y) * vy) / (vx * vx + vy * vy);
    t = std::clamp(t, 0.0, 1.0);
    double dx = p.x - (a.x + t * vx), dy = p.y - (a.y + t * vy);
    return std::sqrt(dx * dx + dy * dy);
}

bool Inside(const std::vector<Point>& polygon, Point p)
{
    bool inside = false;
    for (std::size_t i = 0, j = polygon.size() - 1; i < polygon.size(); j = i++) {
        const Point& a = polygon[i];
        const Point& b = polygon[j];
        if ((a.y > p.y) != (b.y > p.y) && p.x < (b.x - a.x) * (p.y - a.y) / (b.y - a.y) + a.x)
            inside = !inside;
    }
    return inside;
}

double EdgeDistance(const std::vector<Point>& polygon, Point p)
{
    double d = 1e300;
    for (std::size_t i = 0, j = polygon.size() - 1; i < polygon.size(); j = i++)
        d = std::min(d, SegmentDistance(p, polygon[j], polygon[i]));
    return d;
}

class Design {
public:
    // Edges fall on pixel boundaries so that the flat 16-colour images stay crisp.
    explicit Design(int size)
        : size_(size),
          line_(std::max(1.0, std::round(size / 32.0))),
          centre_(size * 0.46),
          radius_(size * 0.45)
    {
        // The arrow in the lower right, pointing up: head, then shaft.
        double headLeft = Snap(0.42), headRight = size;
        double tip = Snap(0.28), headBase = Snap(0.64);
        double shaftLeft = Snap(0.61), shaftRight = size - Snap(0.13);
        arrow_ = {
            {(headLeft + headRight) / 2, tip}, {headRight, headBase}, {shaftRight, headBase},
            {shaftRight, double(size)}, {shaftLeft, double(size)}, {shaftLeft, headBase},
            {headLeft, headBase},
        };
    }

    Material At(Point p) const
    {
        if (Inside(arrow_, p))
            return EdgeDistance(arrow_, p) < line_ ? Material::ArrowEdge : Material::Arrow;
        return Disc(p);
    }

    // Where the highlight of the arrow's gradient is: 0 at its tip, 1 at its foot.
    double ArrowDepth(Point p) const
    {
        return std::clamp((p.y - arrow_[0].y) / (size_ - arrow_[0].y), 0.0, 1.0);
    }

    // The angle of p around the disc's centre (for the metal's sheen).
    double Angle(Point p) const { return std::atan2(p.y - centre_, p.x - centre_); }

private:
    double Snap(double fraction) const { return std::round(fraction * size_); }

    Material Disc(Point p) const
    {
        double r = std::hypot(p.x - centre_, p.y - centre_);
        double labelOuter = radius_ - line_ - std::max(1.0, radius_ * 0.08);
        double hubOuter = radius_ * 0.38;
        double hole = radius_ * 0.16;
        if (r > radius_ || r < hole)
            return Material::None;
        if (r > radius_ - line_)
            return Material::Rim;
        if (r > labelOuter)
            return Material::Silver;
        if (r > hubOuter)
            return LabelAt(p, labelOuter) ? Material::Text : Material::Label;
        if (r > hole + line_)
            return Material::Silver;
        return Material::HubEdge;
    }

    // Two lines of "text" printed on the label above the hub; too fine for the smallest size.
    bool LabelAt(Point p, double labelOuter) const
    {
        const int kSmallestWithText = 32;
        if (size_ < kSmallestWithText)
            return false;
        const double rows[] = {0.17, 0.25};
        double margin = size_ * 0.10;
        for (double row : rows) {
            double y = Snap(row);
            double half = std::sqrt(std::max(0.0, labelOuter * labelOuter -
                                                      (y - centre_) * (y - centre_))) - margin;
            if (p.y >= y && p.y < y + line_ && std::fabs(p.x - centre_) < half)
                return true;
        }
        return false;
    }

    int size_;
    double line_;
    double centre_;
    double radius_;
    std::vector<Point> arrow_;
};

// ---------------------------------------------------------------------------------------------
// Colours of the materials

std::uint8_t VgaColour(Material m)
{
    switch (m) {
    case Material::Rim: return kGrey;
    case Material::Silver: return kSilver;
    case Material::Label: return kWhite;
    case Material::Text: return kNavy;
    case Material::HubEdge: return kGrey;
    case Material::ArrowEdge: return kBlack;
    case Material::Arrow: return kLime;
    case Material::None: break;
    }
    return kBlack;
}

// With 256 colours the metal gets a sheen and the arrow a gradient.
Rgb TrueColour(const Design& design, Material m, Point p)
{
    switch (m) {
    case Material::Rim: return {104, 108, 120};
    case Material::Silver: {
        const double kPi = 3.14159265358979323846;
        double sheen = std::cos(2 * (design.Angle(p) + kPi / 4));
        double v = 200 + 28 * sheen;
        return {v, v, v};
    }
    case Material::Label: return {255, 255, 255};
    case Material::Text: return {40, 60, 160};
    case Material::HubEdge: return {128, 128, 136};
    case Material::ArrowEdge: return {0, 72, 0};
    case Material::Arrow: {
        double t = design.ArrowDepth(p);
        return {80 - 80 * t, 230 - 90 * t, 80 - 80 * t};
    }
    case Material::None: break;
    }
    return {0, 0, 0};
}

// ---------------------------------------------------------------------------------------------
// Rendering: each pixel is sampled on a grid; it is opaque when most samples hit the design.

constexpr int kSamples = 4;  // per axis

struct Image {
    int size = 0;
    int bits = 0;
    std::vector<Rgb> palette;
    std::vector<std::uint8_t> pixels;  // palette indices, top row first
    std::vector<bool> transparent;
};

Image Render(int size, int bits)
{
    Design design(size);
    Image image;
    image.size = size;
    image.bits = bits;
    image.palette = bits == 4 ? std::vector<Rgb>(kVgaPalette.begin(), kVgaPalette.end())
                              : Palette256();
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            std::map<Material, int> votes;
            Rgb sum{0, 0, 0};
            int covered = 0;
            for (int sy = 0; sy < kSamples; ++sy) {
                for (int sx = 0; sx < kSamples; ++sx) {
                    Point p{x + (sx + 0.5) / kSamples, y + (sy + 0.5) / kSamples};
                    Material m = design.At(p);
                    if (m == Material::None)
                        continue;
                    ++covered;
                    ++votes[m];
                    Rgb c = TrueColour(design, m, p);
                    sum = {sum.r + c.r, sum.g + c.g, sum.b + c.b};
                }
            }
            bool clear = covered * 2 < kSamples * kSamples;
            std::uint8_t index = 0;
            if (!clear && bits == 4) {
                auto most = std::max_element(votes.begin(), votes.end(),
                    [](const auto& a, const auto& b) { return a.second < b.second; });
                index = VgaColour(most->first);
            } else if (!clear) {
                index = Nearest(image.palette,
                                {sum.r / covered, sum.g / covered, sum.b / covered});
            }
            image.pixels.push_back(index);
            image.transparent.push_back(clear);
        }
    }
    return image;
}

// ---------------------------------------------------------------------------------------------
// The .ico file: a directory, then per image a BITMAPINFOHEADER (height doubled for the mask),
// the palette, the colour rows and the 1-bit transparency mask, both bottom row first.

constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint16_t kIconType = 1;
constexpr std::size_t kDirectoryHeaderSize = 6;
constexpr std::size_t kDirectoryEntrySize = 16;

class Bytes {
public:
    void U8(std::uint8_t v) { data_.push_back(v); }
    void U16(std::uint16_t v) { U8(v & 0xFF); U8(v >> 8); }
    void U32(std::uint32_t v) { U16(v & 0xFFFF); U16(v >> 16); }
    void Append(const Bytes& other) { data_.insert(data_.end(), other.data_.begin(), other.data_.end()); }
    std::size_t Size() const { return data_.size(); }
    const std::vector<std::uint8_t>& Data() const { return data_; }

private:
    std::vector<std::uint8_t> data_;
};

std::size_t RowBytes(int width, int bits)
{
    return ((static_cast<std::size_t>(width) * bits + 31) / 32) * 4;  // rows end on 32 bits
}

Bytes IconImage(const Image& image)
{
    const int n = image.size;
    std::size_t colourSize = RowBytes(n, image.bits) * n;
    std::size_t maskSize = RowBytes(n, 1) * n;
    Bytes b;
    b.U32(kInfoHeaderSize);
    b.U32(n);
    b.U32(2 * n);
    b.U16(1);  // planes
    b.U16(static_cast<std::uint16_t>(image.bits));
    b.U32(0);  // BI_RGB
    b.U32(static_cast<std::uint32_t>(colourSize + maskSize));
    b.U32(0);
    b.U32(0);
    b.U32(0);  // all colours of the depth are used
    b.U32(0);
    for (const Rgb& c : image.palette) {
        b.U8(static_cast<std::uint8_t>(std::lround(c.b)));
        b.U8(static_cast<std::uint8_t>(std::lround(c.g)));
        b.U8(static_cast<std::uint8_t>(std::lround(c.r)));
        b.U8(0);
    }
    for (int y = n - 1; y >= 0; --y) {
        std::vector<std::uint8_t> row(RowBytes(n, image.bits), 0);
        for (int x = 0; x < n; ++x) {
            std::uint8_t index = image.pixels[y * n + x];
            if (image.bits == 8)
                row[x] = index;
            else
                row[x / 2] |= x % 2 ? index : index << 4;
        }
        for (std::uint8_t v : row)
            b.U8(v);
    }
    for (int y = n - 1; y >= 0; --y) {
        std::vector<std::uint8_t> row(RowBytes(n, 1), 0);
        for (int x = 0; x < n; ++x)
            if (image.transparent[y * n + x])
                row[x / 8] |= 0x80 >> (x % 8);
        for (std::uint8_t v : row)
            b.U8(v);
    }
    return b;
}

Bytes IconFile(const std::vector<Image>& images)
{
    std::vector<Bytes> bodies;
    for (const Image& image : images)
        bodies.push_back(IconImage(image));
    Bytes file;
    file.U16(0);
    file.U16(kIconType);
    file.U16(static_cast<std::uint16_t>(images.size()));
    std::size_t offset = kDirectoryHeaderSize + kDirectoryEntrySize * images.size();
    for (std::size_t i = 0; i < images.size(); ++i) {
        const Image& image = images[i];
        const int kColoursInByte = 256;  // a count of 256 is written as 0
        int colours = 1 << image.bits;
        file.U8(static_cast<std::uint8_t>(image.size));
        file.U8(static_cast<std::uint8_t>(image.size));
        file.U8(static_cast<std::uint8_t>(colours < kColoursInByte ? colours : 0));
        file.U8(0);
        file.U16(1);  // planes
        file.U16(static_cast<std::uint16_t>(image.bits));
        file.U32(static_cast<std::uint32_t>(bodies[i].Size()));
        file.U32(static_cast<std::uint32_t>(offset));
        offset += bodies[i].Size();
    }
    for (const Bytes& body : bodies)
        file.Append(body);
    return file;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: appicon OUTPUT.ico\n";
        return 2;
    }
    const int kSizes[] = {16, 32, 48};
    const int kDepths[] = {4, 8};
    std::vector<Image> images;
    for (int bits : kDepths)
        for (int size : kSizes)
            images.push_back(Render(size, bits));
    Bytes file = IconFile(images);

    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(file.Data().data()),
              static_cast<std::streamsize>(file.Size()));
    out.close();
    if (!out) {
        std::cerr << "appicon: cannot write " << argv[1] << "\n";
        std::remove(argv[1]);
        return 1;
    }
    return 0;
}
