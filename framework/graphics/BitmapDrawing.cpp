// Drawing a bitmap onto a canvas, opaque or through its transparency mask.
#include "framework/graphics/Bitmap.h"

#include "framework/graphics/BitmapImage.h"
#include "framework/graphics/Canvas.h"
#include "framework/win32/GdiHandle.h"
#include "framework/core/ScopeGuard.h"

namespace {

constexpr COLORREF kColorMask = 0x00FFFFFF;
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);

}  // namespace

HBITMAP TBitmap::MaskHandle()
{
    if (image_->Empty())
        return nullptr;
    COLORREF color = TransparentColor() & kColorMask;
    TBitmapImage& image = *image_;
    if (image.mask && image.maskColor == color)
        return image.mask.Get();
    TOwnedBitmap mask(RequireHandle(CreateBitmap(image.width, image.height, 1, 1, nullptr)));
    {
        TImageSource source(image);
        TMemoryDC maskDC;
        TSelectObject select(maskDC, mask.Get());
        // Colour to monochrome: pixels of the source's background colour become 1 (white).
        COLORREF previous = SetBkColor(source, color);
        BitBlt(maskDC, 0, 0, image.width, image.height, source, 0, 0, SRCCOPY);
        SetBkColor(source, previous);
    }
    image.mask = std::move(mask);
    image.maskColor = color;
    return image.mask.Get();
}

void TBitmap::Draw(TCanvas& canvas, const RECT& rect)
{
    if (image_->Empty())
        return;
    HDC target = canvas.Handle();
    TBitmapImage& image = *image_;
    if (Transparent())
        MaskHandle();   // built before the image is selected for drawing
    TImageSource source(image);
    HPALETTE palette = ignorePalette_ ? nullptr : image.palette.Get();
    // A window's DC takes the palette as a background palette, so that drawing never takes the
    // system palette from the active window; memory DCs take it in the foreground, which is what
    // maps its colours exactly.
    bool background = GetObjectType(target) != OBJ_MEMDC;
    TSelectPalette targetPalette(target, IsPaletteDC(target) ? palette : nullptr, background, true);
    const int previousMode =
        SetStretchBltMode(target, Monochrome() ? BLACKONWHITE : COLORONCOLOR);
    TScopeExit restoreMode([target, previousMode] { SetStretchBltMode(target, previousMode); });
    if (Transparent())
        DrawTransparent(target, rect, source);
    else
        DrawOpaque(target, rect, canvas.CopyMode(), source);
}

void TBitmap::DrawOpaque(HDC target, const RECT& rect, DWORD rop, HDC source)
{
    StretchBlt(target, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, source,
               0, 0, image_->width, image_->height, rop);
}

void TBitmap::DrawTransparent(HDC target, const RECT& rect, HDC source)
{
    // target ^= image; target &= mask (white keeps, black clears); target ^= image. Where the
    // mask is white the two XORs cancel and the background stays; elsewhere the image remains.
    HBITMAP mask = MaskHandle();
    TMemoryDC maskDC;
    TSelectObject select(maskDC, mask);
    COLORREF previousText = SetTextColor(target, kBlack);
    COLORREF previousBk = SetBkColor(target, kWhite);
    DrawOpaque(target, rect, SRCINVERT, source);
    StretchBlt(target, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
               maskDC, 0, 0, image_->width, image_->height, SRCAND);
    DrawOpaque(target, rect, SRCINVERT, source);
    SetTextColor(target, previousText);
    SetBkColor(target, previousBk);
}
