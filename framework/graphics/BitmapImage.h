#pragma once
// The image behind TBitmap objects: one GDI bitmap with its palette and cached mask, shared by
// every bitmap assigned from another. Only the bitmap classes use this directly.
#include "framework/graphics/PixelFormat.h"
#include "framework/win32/GdiHandle.h"

#include <memory>
#include <optional>

struct TBitmapImage {
    TOwnedBitmap handle;        // 0 while the image has no size
    TOwnedPalette palette;
    TOwnedBitmap mask;          // cached by MaskHandle for maskColor
    COLORREF maskColor = CLR_INVALID;
    int width = 0;
    int height = 0;
    TPixelFormat format = TPixelFormat::Device;
    bool monochrome = false;    // a 1-bit device-dependent bitmap
    DIBSECTION dib{};           // the section's description when bits is set
    void* bits = nullptr;       // pixels of a DIB section (null for device-dependent bitmaps)
    bool topDown = false;       // the section's first row in memory is the top row
    HDC dc = nullptr;           // the bitmap canvas's DC the handle is selected into now

    bool IsDIB() const { return bits != nullptr || format != TPixelFormat::Device; }
    bool Empty() const { return width <= 0 || height <= 0; }
};

// BITMAPINFO with room for a full colour table (or the three BI_BITFIELDS masks).
struct TDibInfo {
    BITMAPINFOHEADER header{};
    RGBQUAD colors[256]{};
};

// A new image of the given size and format, white, with palette (owned from now on). For 1-, 4-
// and 8-bit formats the colour table comes from the palette, or from the standard table of the
// depth when there is none (then that table also becomes the palette). Custom takes the layout
// of like. No handle is made for an empty size.
std::shared_ptr<TBitmapImage> CreateImage(int width, int height, TPixelFormat format,
                                          bool monochrome, TOwnedPalette palette,
                                          const TBitmapImage* like = nullptr);
// An image over handle (owned from now on), described from GDI.
std::shared_ptr<TBitmapImage> ImageFromHandle(HBITMAP handle);
// An image over a new DIB section of info (pixels zero); the palette comes from its table.
std::shared_ptr<TBitmapImage> ImageFromSection(const TDibInfo& info);
// A private copy with the same pixels, format and palette (the mask is not copied).
std::shared_ptr<TBitmapImage> CopyImage(TBitmapImage& source);
// Copies the pixels that fit from one image into another (GDI converts the colours).
void BlitImage(TBitmapImage& from, TBitmapImage& to);
// The colour table of a 1-, 4- or 8-bit section; returns the entry count (2^depth).
int ImageColorTable(TBitmapImage& image, RGBQUAD* colors);
// The format a DIB header describes.
TPixelFormat FormatOfHeader(const BITMAPINFOHEADER& header, const DWORD* masks);
// A new device-dependent copy of the image's pixels (for the clipboard); none for an empty image.
TOwnedBitmap CopyAsDeviceBitmap(TBitmapImage& image);

// A DC that has the image's bitmap selected: the bitmap canvas's when it holds one, else a
// memory DC of its own for the guard's lifetime (with the palette selected and realised).
// While it lives, the image's dc is that DC, so nested sources share it (a bitmap can be
// selected into one DC only).
class TImageSource {
public:
    explicit TImageSource(TBitmapImage& image);
    ~TImageSource();
    TImageSource(const TImageSource&) = delete;
    TImageSource& operator=(const TImageSource&) = delete;
    HDC Get() const { return dc_; }
    operator HDC() const { return dc_; }

private:
    TBitmapImage& image_;
    std::optional<TMemoryDC> memory_;
    std::optional<TSelectObject> bitmap_;
    std::optional<TSelectPalette> palette_;
    HDC dc_ = nullptr;
};
