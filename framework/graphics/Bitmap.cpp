#include "framework/graphics/Bitmap.h"

#include "framework/graphics/BitmapCanvas.h"
#include "framework/graphics/BitmapImage.h"
#include "framework/graphics/Canvas.h"
#include "framework/graphics/Palette.h"
#include "framework/core/Exception.h"
#include "framework/core/FrameworkStrings.h"
#include "framework/core/ScopeGuard.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr COLORREF kColorMask = 0x00FFFFFF;
constexpr COLORREF kBlack = RGB(0, 0, 0);

TPixelFormat ScreenPixelFormat()
{
    TScreenDC screen;
    switch (GetDeviceCaps(screen, BITSPIXEL) * GetDeviceCaps(screen, PLANES)) {
    case 1: return TPixelFormat::Bit1;
    case 4: return TPixelFormat::Bit4;
    case 8: return TPixelFormat::Bit8;
    case 15: return TPixelFormat::Bit15;
    case 16: return TPixelFormat::Bit16;
    case 32: return TPixelFormat::Bit32;
    default: return TPixelFormat::Bit24;
    }
}

}  // namespace

// ---- TBitmap ----

TBitmap::TBitmap() : image_(std::make_shared<TBitmapImage>()) {}

TBitmap::~TBitmap()
{
    canvas_.reset();
}

void TBitmap::Changed(TObject* sender)
{
    if (image_ && image_.use_count() == 1) {
        image_->mask.Reset();
        image_->maskColor = CLR_INVALID;
    }
    TGraphic::Changed(sender);
}

void TBitmap::Unshare()
{
    if (image_.use_count() > 1)
        ReplaceImage(CopyImage(*image_));
}

void TBitmap::ReplaceImage(std::shared_ptr<TBitmapImage> image)
{
    if (canvas_)
        canvas_->Detach();
    image_ = std::move(image);
    if (canvas_)
        canvas_->Attach();
}

void TBitmap::FreeCanvasDC()
{
    if (canvas_)
        canvas_->FreeContext();
}

void TBitmap::CanvasChanging()
{
    Unshare();
}

void TBitmap::CanvasChanged()
{
    Changed(this);
}

void TBitmap::Rebuild(int width, int height, TPixelFormat format, bool monochrome,
                      TOwnedPalette palette)
{
    auto fresh = CreateImage(width, height, format, monochrome, std::move(palette), image_.get());
    BlitImage(*image_, *fresh);
    ReplaceImage(std::move(fresh));
    Changed(this);
}

void TBitmap::Assign(TPersistent* source)
{
    if (!source) {
        FreeCanvasDC();
        image_ = std::make_shared<TBitmapImage>();
        Changed(this);
        return;
    }
    auto* bitmap = dynamic_cast<TBitmap*>(source);
    if (!bitmap) {
        TGraphic::Assign(source);
        return;
    }
    if (bitmap == this)
        return;
    // The shared handle may be selected into the source's canvas; ours must not select it too,
    // so our DC goes and the next use of our canvas makes the image private first.
    FreeCanvasDC();
    image_ = bitmap->image_;
    ignorePalette_ = bitmap->ignorePalette_;
    transparentMode_ = bitmap->transparentMode_;
    transparentColor_ = bitmap->transparentColor_;
    if (Transparent() != bitmap->Transparent())
        TGraphic::SetTransparent(bitmap->Transparent());
    Changed(this);
}

int TBitmap::Width()
{
    return image_->width;
}

int TBitmap::Height()
{
    return image_->height;
}

void TBitmap::SetWidth(int width)
{
    SetSize(width, image_->height);
}

void TBitmap::SetHeight(int height)
{
    SetSize(image_->width, height);
}

void TBitmap::SetSize(int width, int height)
{
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width == image_->width && height == image_->height)
        return;
    Rebuild(width, height, image_->format, image_->monochrome, CopyPalette(image_->palette.Get()));
}

bool TBitmap::Empty()
{
    return image_->Empty();
}

HPALETTE TBitmap::Palette()
{
    return image_->palette.Get();
}

void TBitmap::SetPalette(TOwnedPalette palette)
{
    if (palette.Get() == image_->palette.Get()) {
        palette.Release();   // the bitmap's own already
        return;
    }
    TPixelFormat format = image_->format;
    bool paletteDib = format == TPixelFormat::Bit1 || format == TPixelFormat::Bit4 ||
                      format == TPixelFormat::Bit8;
    if (paletteDib && !image_->Empty()) {
        // New colour table from the palette; the pixels are copied over by colour.
        Rebuild(image_->width, image_->height, format, false, std::move(palette));
        return;
    }
    Unshare();
    if (canvas_)
        canvas_->Detach();
    image_->palette = std::move(palette);
    if (canvas_)
        canvas_->Attach();
    Changed(this);
}

void TBitmap::SetIgnorePalette(bool ignore)
{
    if (ignore != ignorePalette_) {
        ignorePalette_ = ignore;
        Changed(this);
    }
}

HBITMAP TBitmap::Handle()
{
    return image_->handle.Get();
}

void TBitmap::SetHandle(HBITMAP handle)
{
    if (handle && handle == image_->handle.Get())
        return;
    if (canvas_)
        canvas_->Detach();
    {
        TScopeExit reattach([this] {
            if (canvas_)
                canvas_->Attach();
        });
        image_ = ImageFromHandle(handle);
    }
    Changed(this);
}

HBITMAP TBitmap::ReleaseHandle()
{
    Unshare();
    FreeCanvasDC();
    HBITMAP handle = image_->handle.Release();
    image_ = std::make_shared<TBitmapImage>();
    Changed(this);
    return handle;
}

bool TBitmap::HandleAllocated() const
{
    return static_cast<bool>(image_->handle);
}

TBitmapHandleType TBitmap::HandleType()
{
    return image_->IsDIB() ? TBitmapHandleType::DIB : TBitmapHandleType::DDB;
}

void TBitmap::SetHandleType(TBitmapHandleType type)
{
    if (type == HandleType())
        return;
    if (type == TBitmapHandleType::DDB)
        SetPixelFormat(TPixelFormat::Device);
    else
        SetPixelFormat(image_->monochrome ? TPixelFormat::Bit1 : ScreenPixelFormat());
}

TPixelFormat TBitmap::PixelFormat()
{
    return image_->format;
}

void TBitmap::SetPixelFormat(TPixelFormat format)
{
    if (format == image_->format)
        return;
    if (format == TPixelFormat::Custom)
        throw EInvalidGraphic(SInvalidPixelFormat);
    Rebuild(image_->width, image_->height, format, false, CopyPalette(image_->palette.Get()));
}

bool TBitmap::Monochrome()
{
    return image_->monochrome || image_->format == TPixelFormat::Bit1;
}

void TBitmap::SetMonochrome(bool monochrome)
{
    if (monochrome == Monochrome())
        return;
    if (HandleType() == TBitmapHandleType::DDB) {
        Rebuild(image_->width, image_->height, TPixelFormat::Device, monochrome,
                CopyPalette(image_->palette.Get()));
    } else {
        SetPixelFormat(monochrome ? TPixelFormat::Bit1 : TPixelFormat::Device);
    }
}

COLORREF TBitmap::TransparentColor()
{
    if (transparentMode_ == TTransparentMode::Fixed)
        return transparentColor_;
    if (image_->Empty())
        return kBlack;
    TImageSource source(*image_);
    return GetPixel(source, 0, image_->height - 1) & kColorMask;
}

void TBitmap::SetTransparentColor(COLORREF color)
{
    color &= kColorMask;
    if (transparentMode_ == TTransparentMode::Fixed && color == transparentColor_)
        return;
    transparentColor_ = color;
    transparentMode_ = TTransparentMode::Fixed;
    Changed(this);
}

void TBitmap::SetTransparentMode(TTransparentMode mode)
{
    if (mode == transparentMode_)
        return;
    transparentMode_ = mode;
    if (mode == TTransparentMode::Auto)
        transparentColor_ = kBlack;
    Changed(this);
}

void TBitmap::SetTransparent(bool transparent)
{
    TGraphic::SetTransparent(transparent);
}

TCanvas& TBitmap::Canvas()
{
    if (!canvas_)
        canvas_ = std::make_unique<TBitmapCanvas>(*this);
    return *canvas_;
}

int TBitmap::BytesPerScanLine()
{
    if (!image_->bits)
        return 0;
    const BITMAPINFOHEADER& header = image_->dib.dsBmih;
    return (header.biWidth * header.biBitCount + 31) / 32 * 4;
}

void* TBitmap::ScanLine(int row)
{
    if (row < 0 || row >= image_->height)
        throw EInvalidOperation(SScanLine);
    Unshare();
    if (!image_->bits)
        throw EInvalidOperation(SInvalidPixelFormat);
    GdiFlush();   // pending GDI drawing must be in the bits before they are read
    int stored = image_->topDown ? row : image_->height - 1 - row;
    return static_cast<BYTE*>(image_->bits) + static_cast<ptrdiff_t>(stored) * BytesPerScanLine();
}

void TBitmap::Dormant()
{
    FreeCanvasDC();
}
