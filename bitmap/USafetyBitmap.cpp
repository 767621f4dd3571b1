#include "bitmap/USafetyBitmap.h"

#include "dib/UCanvas.h"
#include "dib/UDIB.h"
#include "dib/UScreenColors.h"
#include "framework/graphics/Canvas.h"
#include "framework/graphics/Palette.h"
#include "framework/graphics/Picture.h"
#include "framework/win32/GdiHandle.h"
#include "framework/win32/WindowsFamily.h"
#include "framework/core/Exception.h"
#include "framework/core/FrameworkStrings.h"
#include "framework/core/ScopeGuard.h"
#include "framework/core/Stream.h"

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr COLORREF kColorMask = 0x00FFFFFF;
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr int kBitsPerByte = 8;
constexpr BYTE kHighBit = 0x80;

// Sets the DC's background and text colours for masked drawing, which decide how a monochrome
// mask expands (1 bits white, 0 bits black). The guard returned puts them back, with the
// canvas's copy mode, which the drawing changes too.
auto MaskDrawingState(TCanvas& canvas)
{
    HDC dc = canvas.Handle();
    const DWORD copyMode = canvas.CopyMode();
    const COLORREF background = SetBkColor(dc, kWhite);
    const COLORREF text = SetTextColor(dc, kBlack);
    return TScopeExit([&canvas, dc, copyMode, background, text] {
        canvas.SetCopyMode(copyMode);
        SetBkColor(dc, background);
        SetTextColor(dc, text);
    });
}

// Stretches a monochrome mask into rect with the canvas's copy mode. The blit is made here, not
// through the canvas's StretchDraw, which would expand the 1 bits in the canvas's brush colour
// instead of the white that the two-pass drawing depends on.
void StretchMask(TCanvas& canvas, const RECT& rect, TBitmap& mask)
{
    HDC source = mask.Canvas().Handle();
    StretchBlt(canvas.Handle(), rect.left, rect.top, rect.right - rect.left,
               rect.bottom - rect.top, source, 0, 0, mask.Width(), mask.Height(),
               canvas.CopyMode());
}

}  // namespace

// ---- construction and the cache ----

TSafetyBitmap::TSafetyBitmap()
    : mask_(std::make_unique<TBitmap>()), maskDIB_(std::make_unique<TDIB>()),
      maskedImage_(std::make_unique<TBitmap>())
{
    mask_->SetMonochrome(true);
}

TSafetyBitmap::~TSafetyBitmap()
{
    mask_.reset();
    maskDIB_.reset();
    maskedImage_.reset();
}

void TSafetyBitmap::Changed(TObject* sender)
{
    TBitmap::Changed(sender);
    maskChanged_ = true;
    imageChanged_ = true;
}

void TSafetyBitmap::Assign(TPersistent* source)
{
    if (source == this)
        return;
    TBitmap::Assign(source);
    auto* other = dynamic_cast<TSafetyBitmap*>(source);
    if (!other)
        return;
    mask_->Assign(other->mask_.get());
    maskedImage_->Assign(other->maskedImage_.get());
    maskChanged_ = other->maskChanged_;
    imageChanged_ = other->imageChanged_;
    if (!IsNtFamily())
        maskDIB_->Assign(*other->maskDIB_);
}

// ---- the mask and the masked image ----

int TSafetyBitmap::MaskColorIndex(COLORREF color)
{
    HPALETTE palette = Palette();
    if (!palette)
        return -1;
    UINT index = GetNearestPaletteIndex(palette, color);
    PALETTEENTRY entry{};
    if (index == CLR_INVALID || GetPaletteEntries(palette, index, 1, &entry) != 1)
        return -1;
    // Only an exact match is the transparent colour; a merely near one is opaque.
    if (entry.peRed != GetRValue(color) || entry.peGreen != GetGValue(color) ||
        entry.peBlue != GetBValue(color))
        return -1;
    return static_cast<int>(index);
}

void TSafetyBitmap::FillMaskFromBits(BYTE* mask, int rowBytes, COLORREF color)
{
    const int width = Width();
    const int height = Height();
    const BYTE red = GetRValue(color), green = GetGValue(color), blue = GetBValue(color);
    const TPixelFormat format = PixelFormat();
    int index = -1;
    if (format == TPixelFormat::Bit8) {
        index = MaskColorIndex(color);
        if (index < 0)
            return;
    }
    const int pixelBytes = format == TPixelFormat::Bit8 ? 1 : format == TPixelFormat::Bit24 ? 3 : 4;
    for (int y = 0; y < height; ++y) {
        const BYTE* row = static_cast<const BYTE*>(ScanLine(y));
        BYTE* maskRow = mask + static_cast<ptrdiff_t>(y) * rowBytes;
        for (int x = 0; x < width; ++x) {
            // Only the pixel's own bytes are read (stored blue, green, red; a fourth is ignored).
            const BYTE* pixel = row + static_cast<ptrdiff_t>(x) * pixelBytes;
            bool transparent = format == TPixelFormat::Bit8
                                   ? pixel[0] == index
                                   : pixel[0] == blue && pixel[1] == green && pixel[2] == red;
            if (transparent)
                maskRow[x / kBitsPerByte] |= static_cast<BYTE>(kHighBit >> (x % kBitsPerByte));
        }
    }
}

void TSafetyBitmap::FillMaskFromPixels(BYTE* mask, int rowBytes, COLORREF color)
{
    const int width = Width();
    const int height = Height();
    TCanvas& canvas = Canvas();
    for (int y = 0; y < height; ++y) {
        BYTE* maskRow = mask + static_cast<ptrdiff_t>(y) * rowBytes;
        for (int x = 0; x < width; ++x)
            if ((canvas.Pixel(x, y) & kColorMask) == color)
                maskRow[x / kBitsPerByte] |= static_cast<BYTE>(kHighBit >> (x % kBitsPerByte));
    }
}

void TSafetyBitmap::BuildMask(COLORREF color)
{
    if (!maskChanged_)
        return;
    color &= kColorMask;
    mask_->SetSize(Width(), Height());
    // A private image for the mask: an assigned one may still be shared with its source.
    mask_->Canvas().Handle();
    BITMAP layout{};
    HBITMAP handle = mask_->Handle();
    if (!handle || GetObjectA(handle, sizeof(layout), &layout) == 0 || layout.bmWidthBytes <= 0)
        throw EInvalidGraphic(SInvalidImage);
    std::vector<BYTE> bits(static_cast<size_t>(layout.bmWidthBytes) * layout.bmHeight, 0);
    const TPixelFormat format = PixelFormat();
    if (format == TPixelFormat::Bit8 || format == TPixelFormat::Bit24 ||
        format == TPixelFormat::Bit32)
        FillMaskFromBits(bits.data(), layout.bmWidthBytes, color);
    else
        FillMaskFromPixels(bits.data(), layout.bmWidthBytes, color);
    SetBitmapBits(handle, static_cast<DWORD>(bits.size()), bits.data());
    // GDI reads a bitmap's bits only when no DC holds it.
    mask_->Dormant();
    if (!IsNtFamily())
        maskDIB_->AssignBitmap(*mask_);
    ++maskBuilds_;
    maskChanged_ = false;
}

void TSafetyBitmap::BuildMaskedImage()
{
    if (!imageChanged_)
        return;
    maskedImage_->Assign(this);
    maskedImage_->SetIgnorePalette(false);
    maskedImage_->SetTransparent(false);
    TCanvas& canvas = maskedImage_->Canvas();
    canvas.SetCopyMode(SRCPAINT);
    // OR with the mask expanded to white (1 bits) and black (0 bits) whitens the transparent
    // pixels and leaves the others as they are.
    HDC dc = canvas.Handle();
    SetBkColor(dc, kWhite);
    SetTextColor(dc, kBlack);
    if (IsNtFamily()) {
        SetStretchBltMode(dc, COLORONCOLOR);
        StretchMask(canvas, RECT{0, 0, Width(), Height()}, *mask_);
    } else {
        const RECT whole{0, 0, Width(), Height()};
        maskDIB_->Draw(canvas, whole, whole);
    }
    imageChanged_ = false;
}

// ---- drawing ----

void TSafetyBitmap::Draw(TCanvas& canvas, const RECT& rect)
{
    if (Empty())
        return;
    auto state = MaskDrawingState(canvas);
    if (Transparent()) {
        BuildMask(TransparentColor());
        BuildMaskedImage();
    }
    if (IsPrinterCanvas(canvas))
        PrinterDraw(canvas, rect);
    else
        ScreenDraw(canvas, rect);
}

void TSafetyBitmap::ScreenDraw(TCanvas& canvas, const RECT& rect)
{
    if (!Transparent()) {
        TBitmap::Draw(canvas, rect);
        return;
    }
    // MERGEPAINT whitens the opaque area and keeps the background where the image is
    // transparent; SRCAND then puts the image into the white area.
    SetStretchBltMode(canvas.Handle(), COLORONCOLOR);
    canvas.SetCopyMode(MERGEPAINT);
    if (IsNtFamily()) {
        StretchMask(canvas, rect, *mask_);
    } else {
        const RECT whole{0, 0, Width(), Height()};
        maskDIB_->Draw(canvas, rect, whole);
    }
    canvas.SetCopyMode(SRCAND);
    canvas.StretchDraw(rect, maskedImage_.get());
}

void TSafetyBitmap::PrinterDraw(TCanvas& canvas, const RECT& rect)
{
    if (IsNtFamily())
        PrinterDrawNT(canvas, rect);
    else
        PrinterDrawDIB(canvas, rect);
}

void TSafetyBitmap::PrinterDrawNT(TCanvas& canvas, const RECT& rect)
{
    // The sources keep their DCs for both passes.
    TCanvasLock image(Canvas());
    TCanvasLock mask(mask_->Canvas());
    TCanvasLock masked(maskedImage_->Canvas());
    if (!Transparent()) {
        TBitmap::Draw(canvas, rect);
        return;
    }
    canvas.SetCopyMode(MERGEPAINT);
    SetStretchBltMode(canvas.Handle(), COLORONCOLOR);
    StretchMask(canvas, rect, *mask_);
    canvas.SetCopyMode(SRCAND);
    canvas.StretchDraw(rect, maskedImage_.get());
}

void TSafetyBitmap::PrinterDrawDIB(TCanvas& canvas, const RECT& rect)
{
    // Printer drivers of 95/98 take device-independent bits only, and some refuse a large
    // stretch in one piece: then the rows go one at a time.
    const RECT whole{0, 0, Width(), Height()};
    TDIB image;
    if (Transparent()) {
        image.AssignBitmap(*maskedImage_);
        canvas.SetCopyMode(MERGEPAINT);
        maskDIB_->DrawWithRowFallback(canvas, rect, whole);
        canvas.SetCopyMode(SRCAND);
    } else {
        image.AssignBitmap(*this);
    }
    image.DrawWithRowFallback(canvas, rect, whole);
}

// ---- picture formats ----

void RegisterSafetyBitmapFormats()
{
    TPicture::RegisterFileFormat("BMP", "Bitmaps", GraphicFactory<TSafetyBitmap>());
    TPicture::RegisterFileFormat("CBM", "Compressed Bitmaps", GraphicFactory<TSafetyBitmap>());
}

void UnregisterSafetyBitmapFormats()
{
    TPicture::UnregisterGraphicClass(GraphicFactory<TSafetyBitmap>());
}
