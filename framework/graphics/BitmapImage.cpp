#include "framework/graphics/BitmapImage.h"

#include "framework/graphics/Palette.h"
#include "framework/core/Exception.h"
#include "framework/core/FrameworkStrings.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int kMaxPaletteDepth = 8;
constexpr DWORD kRed565 = 0xF800, kGreen565 = 0x07E0, kBlue565 = 0x001F;
constexpr DWORD kRed555 = 0x7C00, kGreen555 = 0x03E0, kBlue555 = 0x001F;
constexpr DWORD kRed888 = 0xFF0000, kGreen888 = 0x00FF00, kBlue888 = 0x0000FF;

// The 16 colours of the standard VGA palette, the default table of 4-bit images.
constexpr RGBQUAD kVgaColors[16] = {
    {0, 0, 0, 0},       {0, 0, 128, 0},   {0, 128, 0, 0},   {0, 128, 128, 0},
    {128, 0, 0, 0},     {128, 0, 128, 0}, {128, 128, 0, 0}, {192, 192, 192, 0},
    {128, 128, 128, 0}, {0, 0, 255, 0},   {0, 255, 0, 0},   {0, 255, 255, 0},
    {255, 0, 0, 0},     {255, 0, 255, 0}, {255, 255, 0, 0}, {255, 255, 255, 0},
};

void DefaultColorTable(int depth, RGBQUAD* colors)
{
    if (depth == 1) {
        colors[0] = RGBQUAD{0, 0, 0, 0};
        colors[1] = RGBQUAD{255, 255, 255, 0};
    } else if (depth == 4) {
        std::copy(std::begin(kVgaColors), std::end(kVgaColors), colors);
    } else {
        // 256 colours: the screen's halftone palette, which GDI can render everything with.
        TScreenDC screen;
        TOwnedPalette halftone(RequireHandle(CreateHalftonePalette(screen)));
        ColorTableFromPalette(halftone.Get(), colors, 1 << depth);
    }
}

void SetMasks(TDibInfo& info, DWORD red, DWORD green, DWORD blue)
{
    auto* masks = reinterpret_cast<DWORD*>(info.colors);
    masks[0] = red;
    masks[1] = green;
    masks[2] = blue;
    info.header.biCompression = BI_BITFIELDS;
}

TDibInfo HeaderFor(int width, int height, TPixelFormat format, HPALETTE palette,
                   const TBitmapImage* like)
{
    TDibInfo info;
    if (format == TPixelFormat::Custom) {
        if (!like || !like->bits)
            throw EInvalidGraphic(SInvalidPixelFormat);
        info.header = like->dib.dsBmih;
        if (info.header.biCompression == BI_BITFIELDS)
            SetMasks(info, like->dib.dsBitfields[0], like->dib.dsBitfields[1],
                     like->dib.dsBitfields[2]);
    } else {
        info.header.biBitCount = static_cast<WORD>(PixelFormatBits(format));
        if (format == TPixelFormat::Bit16)
            SetMasks(info, kRed565, kGreen565, kBlue565);
    }
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = width;
    info.header.biHeight = height;
    info.header.biPlanes = 1;
    info.header.biSizeImage = 0;
    info.header.biClrUsed = 0;
    info.header.biClrImportant = 0;
    int depth = info.header.biBitCount;
    if (depth <= kMaxPaletteDepth) {
        int filled = 0;
        if (palette && format != TPixelFormat::Bit1)
            filled = ColorTableFromPalette(palette, info.colors, 1 << depth);
        if (filled == 0)
            DefaultColorTable(depth, info.colors);
    }
    return info;
}

void FillWhite(HBITMAP handle, int width, int height)
{
    TMemoryDC dc;
    TSelectObject select(dc, handle);
    RECT all{0, 0, width, height};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
}

// topDown: the section was made with a negative height. GDI reports the height in dsBmih
// without that sign on some systems, so the header is given the sign back here.
void DescribeSection(TBitmapImage& image, bool topDown)
{
    GetObjectA(image.handle.Get(), sizeof(image.dib), &image.dib);
    image.bits = image.dib.dsBm.bmBits;
    image.topDown = topDown;
    LONG height = std::abs(image.dib.dsBmih.biHeight);
    image.dib.dsBmih.biHeight = topDown ? -height : height;
    image.width = image.dib.dsBmih.biWidth;
    image.height = std::abs(image.dib.dsBmih.biHeight);
    image.format = FormatOfHeader(image.dib.dsBmih, image.dib.dsBitfields);
    image.monochrome = false;
}

}  // namespace

int PixelFormatBits(TPixelFormat format)
{
    switch (format) {
    case TPixelFormat::Bit1: return 1;
    case TPixelFormat::Bit4: return 4;
    case TPixelFormat::Bit8: return 8;
    case TPixelFormat::Bit15:
    case TPixelFormat::Bit16: return 16;
    case TPixelFormat::Bit24: return 24;
    case TPixelFormat::Bit32: return 32;
    case TPixelFormat::Device:
    case TPixelFormat::Custom: break;
    }
    return 0;
}

TPixelFormat FormatOfHeader(const BITMAPINFOHEADER& header, const DWORD* masks)
{
    bool fields = header.biCompression == BI_BITFIELDS;
    auto masksAre = [&](DWORD r, DWORD g, DWORD b) {
        return masks[0] == r && masks[1] == g && masks[2] == b;
    };
    switch (header.biBitCount) {
    case 1: return TPixelFormat::Bit1;
    case 4: return TPixelFormat::Bit4;
    case 8: return TPixelFormat::Bit8;
    case 16:
        if (!fields || masksAre(kRed555, kGreen555, kBlue555))
            return TPixelFormat::Bit15;
        return masksAre(kRed565, kGreen565, kBlue565) ? TPixelFormat::Bit16 : TPixelFormat::Custom;
    case 24: return TPixelFormat::Bit24;
    case 32:
        return !fields || masksAre(kRed888, kGreen888, kBlue888) ? TPixelFormat::Bit32
                                                                 : TPixelFormat::Custom;
    default: return TPixelFormat::Custom;
    }
}

std::shared_ptr<TBitmapImage> ImageFromSection(const TDibInfo& info)
{
    void* bits = nullptr;
    HBITMAP section = CreateDIBSection(nullptr, reinterpret_cast<const BITMAPINFO*>(&info),
                                       DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!section || !bits)
        RaiseOutOfResources();
    auto image = std::make_shared<TBitmapImage>();
    image->handle.Reset(section);
    DescribeSection(*image, info.header.biHeight < 0);
    if (info.header.biBitCount <= kMaxPaletteDepth) {
        int count = 1 << info.header.biBitCount;
        if (info.header.biClrUsed != 0)
            count = std::min<int>(count, static_cast<int>(info.header.biClrUsed));
        image->palette = PaletteFromColorTable(info.colors, count);
    }
    return image;
}

std::shared_ptr<TBitmapImage> CreateImage(int width, int height, TPixelFormat format,
                                          bool monochrome, TOwnedPalette palette,
                                          const TBitmapImage* like)
{
    std::shared_ptr<TBitmapImage> image;
    if (width <= 0 || height <= 0) {
        image = std::make_shared<TBitmapImage>();
        image->width = std::max(width, 0);
        image->height = std::max(height, 0);
        image->format = format;
        image->monochrome = format == TPixelFormat::Device && monochrome;
        image->palette = std::move(palette);
        return image;
    }
    if (format == TPixelFormat::Device) {
        image = std::make_shared<TBitmapImage>();
        if (monochrome) {
            image->handle.Reset(RequireHandle(CreateBitmap(width, height, 1, 1, nullptr)));
        } else {
            TScreenDC screen;
            image->handle.Reset(RequireHandle(CreateCompatibleBitmap(screen, width, height)));
        }
        image->width = width;
        image->height = height;
        image->monochrome = monochrome;
        image->palette = std::move(palette);
    } else {
        image = ImageFromSection(HeaderFor(width, height, format, palette.Get(), like));
        // A given palette stays the image's (also one the table could not hold entirely).
        if (palette && format != TPixelFormat::Bit1)
            image->palette = std::move(palette);
    }
    FillWhite(image->handle.Get(), width, height);
    return image;
}

std::shared_ptr<TBitmapImage> ImageFromHandle(HBITMAP handle)
{
    auto image = std::make_shared<TBitmapImage>();
    if (!handle)
        return image;
    image->handle.Reset(handle);
    DIBSECTION section{};
    int size = GetObjectA(handle, sizeof(section), &section);
    if (size == sizeof(DIBSECTION) && section.dsBm.bmBits) {
        DescribeSection(*image, section.dsBmih.biHeight < 0);
        if (image->dib.dsBmih.biBitCount <= kMaxPaletteDepth) {
            RGBQUAD colors[256];
            int count = ImageColorTable(*image, colors);
            if (section.dsBmih.biClrUsed != 0)
                count = std::min<int>(count, static_cast<int>(section.dsBmih.biClrUsed));
            image->palette = PaletteFromColorTable(colors, count);
        }
    } else if (size >= static_cast<int>(sizeof(BITMAP))) {
        image->width = section.dsBm.bmWidth;
        image->height = section.dsBm.bmHeight;
        image->monochrome = section.dsBm.bmBitsPixel == 1 && section.dsBm.bmPlanes == 1;
    } else {
        image->handle.Release();
        throw EInvalidGraphic(SInvalidImage);
    }
    return image;
}

int ImageColorTable(TBitmapImage& image, RGBQUAD* colors)
{
    int count = 1 << image.dib.dsBmih.biBitCount;
    std::fill(colors, colors + count, RGBQUAD{0, 0, 0, 0});
    TImageSource source(image);
    GetDIBColorTable(source, 0, count, colors);
    return count;
}

std::shared_ptr<TBitmapImage> CopyImage(TBitmapImage& source)
{
    TOwnedPalette palette = CopyPalette(source.palette.Get());
    if (source.Empty() || !source.bits) {
        auto copy = CreateImage(source.width, source.height, source.format, source.monochrome,
                                std::move(palette), &source);
        BlitImage(source, *copy);
        return copy;
    }
    // A DIB: same header, same colour table, the very same bytes.
    TDibInfo info;
    info.header = source.dib.dsBmih;
    info.header.biSizeImage = 0;
    if (info.header.biCompression == BI_BITFIELDS)
        std::memcpy(info.colors, source.dib.dsBitfields, sizeof(source.dib.dsBitfields));
    else if (info.header.biBitCount <= kMaxPaletteDepth)
        ImageColorTable(source, info.colors);
    auto copy = ImageFromSection(info);
    GdiFlush();
    std::memcpy(copy->bits, source.bits,
                std::min(copy->dib.dsBmih.biSizeImage, source.dib.dsBmih.biSizeImage));
    copy->palette = std::move(palette);
    return copy;
}

void BlitImage(TBitmapImage& from, TBitmapImage& to)
{
    if (!from.handle || !to.handle)
        return;
    TImageSource source(from);
    TMemoryDC target;
    TSelectObject select(target, to.handle.Get());
    std::optional<TSelectPalette> palette;
    if (!to.bits && to.palette)
        palette.emplace(target, to.palette.Get(), false, true);
    BitBlt(target, 0, 0, std::min(from.width, to.width), std::min(from.height, to.height), source,
           0, 0, SRCCOPY);
}

TOwnedBitmap CopyAsDeviceBitmap(TBitmapImage& image)
{
    if (image.Empty())
        return {};
    auto copy = CreateImage(image.width, image.height, TPixelFormat::Device,
                            image.monochrome || image.format == TPixelFormat::Bit1,
                            CopyPalette(image.palette.Get()));
    BlitImage(image, *copy);
    return std::move(copy->handle);
}

TImageSource::TImageSource(TBitmapImage& image) : image_(image)
{
    if (image.dc) {
        dc_ = image.dc;
        return;
    }
    memory_.emplace();
    dc_ = memory_->Get();
    bitmap_.emplace(dc_, image.handle.Get());
    if (image.palette)
        palette_.emplace(dc_, image.palette.Get(), false, true);
    image.dc = dc_;
}

TImageSource::~TImageSource()
{
    if (memory_)
        image_.dc = nullptr;
}
