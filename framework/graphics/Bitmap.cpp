#include "framework/graphics/Bitmap.h"

#include "framework/graphics/BitmapImage.h"
#include "framework/graphics/BmpFile.h"
#include "framework/graphics/Canvas.h"
#include "framework/core/Exception.h"
#include "framework/core/FrameworkStrings.h"
#include "framework/graphics/Palette.h"
#include "framework/core/ScopeGuard.h"
#include "framework/core/Stream.h"
#include "framework/win32/GlobalMemory.h"

#include <algorithm>
#include <cstring>
#include <optional>

namespace {

constexpr COLORREF kColorMask = 0x00FFFFFF;
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr WORD kBmpSignature = 0x4D42;   // "BM"

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

// A packed DIB (header, table, pixels) as a BMP file in memory, for the BMP reader.
void WritePackedDibAsFile(const void* dib, SIZE_T size, TMemoryStream& file)
{
    BITMAPFILEHEADER header{};
    header.bfType = kBmpSignature;
    header.bfSize = static_cast<DWORD>(sizeof(header) + size);
    file.WriteBuffer(&header, sizeof(header));
    file.WriteBuffer(dib, static_cast<long>(size));
    file.SetPosition(0);
}

}  // namespace

// ---- The bitmap's canvas: a memory DC with the bitmap's handle (and palette) selected ----

class TBitmap::TBitmapCanvas : public TCanvas {
public:
    explicit TBitmapCanvas(TBitmap& bitmap) : bitmap_(bitmap) {}
    ~TBitmapCanvas() override { FreeContext(); }

    // Lets the DC go entirely.
    void FreeContext()
    {
        if (!dc_)
            return;
        SetHandle(nullptr);
        Detach();
        dc_.Reset();
    }
    // Takes the image's handle out of the DC before the handle changes...
    void Detach()
    {
        if (!dc_)
            return;
        selectedPalette_.reset();
        selectedBitmap_.reset();
        if (attached_)
            attached_->dc = nullptr;
        attached_ = nullptr;
    }
    // ... and puts the new one in afterwards (the DC stays the same for its users).
    void Attach()
    {
        if (!dc_)
            return;
        TBitmapImage& image = *bitmap_.image_;
        if (image.handle)
            selectedBitmap_.emplace(dc_.Get(), image.handle.Get());
        // Foreground: a memory DC's realisation is what maps the colours exactly.
        if (image.palette)
            selectedPalette_.emplace(dc_.Get(), image.palette.Get(), false, true);
        image.dc = dc_.Get();
        attached_ = &image;
    }

protected:
    void CreateHandle() override
    {
        bitmap_.Unshare();
        dc_.Reset(RequireHandle(CreateCompatibleDC(nullptr)));
        Attach();
        SetHandle(dc_.Get());
    }
    void Changing() override
    {
        bitmap_.CanvasChanging();
        TCanvas::Changing();
    }
    void Changed() override
    {
        bitmap_.CanvasChanged();
        TCanvas::Changed();
    }

private:
    TBitmap& bitmap_;
    TOwnedDC dc_;
    // The image's handle and palette while they are selected into dc_.
    std::optional<TSelectObject> selectedBitmap_;
    std::optional<TSelectPalette> selectedPalette_;
    TBitmapImage* attached_ = nullptr;
};

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
    Rebuild(width, height, image_->format, image_->monochrome,
            TOwnedPalette(CopyPalette(image_->palette.Get())));
}

bool TBitmap::Empty()
{
    return image_->Empty();
}

HPALETTE TBitmap::Palette()
{
    return image_->palette.Get();
}

void TBitmap::SetPalette(HPALETTE palette)
{
    TOwnedPalette owned(palette);
    if (palette == image_->palette.Get()) {
        owned.Release();
        return;
    }
    TPixelFormat format = image_->format;
    bool paletteDib = format == TPixelFormat::Bit1 || format == TPixelFormat::Bit4 ||
                      format == TPixelFormat::Bit8;
    if (paletteDib && !image_->Empty()) {
        // New colour table from the palette; the pixels are copied over by colour.
        Rebuild(image_->width, image_->height, format, false, std::move(owned));
        return;
    }
    Unshare();
    if (canvas_)
        canvas_->Detach();
    image_->palette = std::move(owned);
    if (canvas_)
        canvas_->Attach();
    Changed(this);
}

HPALETTE TBitmap::ReleasePalette()
{
    Unshare();
    if (canvas_)
        canvas_->Detach();
    HPALETTE palette = image_->palette.Release();
    if (canvas_)
        canvas_->Attach();
    return palette;
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
    Rebuild(image_->width, image_->height, format, false,
            TOwnedPalette(CopyPalette(image_->palette.Get())));
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
                TOwnedPalette(CopyPalette(image_->palette.Get())));
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

void TBitmap::LoadFromStream(TStream& stream)
{
    auto loaded = ReadBmp(stream);
    ReplaceImage(std::move(loaded));
    Changed(this);
}

void TBitmap::SaveToStream(TStream& stream)
{
    if (image_->Empty())
        return;
    // GetDIBits wants a bitmap that no DC holds.
    if (!image_->bits && canvas_)
        canvas_->Detach();
    TScopeExit reattach([this] {
        if (!image_->bits && canvas_)
            canvas_->Attach();
    });
    WriteBmp(*image_, stream);
}

void TBitmap::ReadData(TStream& stream)
{
    long length = 0;
    stream.ReadBuffer(&length, sizeof(length));
    long start = stream.Position();
    if (length < 0 || length > stream.Size() - start)
        throw EInvalidGraphic(SInvalidImage);
    if (length == stream.Size() - start) {
        LoadFromStream(stream);
    } else {
        // Only the stored bytes: the reader must not take what follows them for pixel data.
        TMemoryStream data;
        data.CopyFrom(stream, length);
        data.SetPosition(0);
        LoadFromStream(data);
    }
    stream.SetPosition(start + length);
}

void TBitmap::WriteData(TStream& stream)
{
    TMemoryStream data;
    SaveToStream(data);
    long length = data.Size();
    stream.WriteBuffer(&length, sizeof(length));
    stream.WriteBuffer(data.Memory(), length);
}

void TBitmap::LoadFromClipboardFormat(UINT format, HANDLE data, HPALETTE palette)
{
    if (!data || (format != CF_BITMAP && format != CF_DIB))
        throw EInvalidGraphic(SUnsupportedClipboard);
    if (format == CF_DIB) {
        TMemoryStream file;
        {
            TGlobalLock dib = LockGlobal(data);
            if (!dib)
                throw EInvalidGraphic(SUnsupportedClipboard);
            WritePackedDibAsFile(dib.Get(), GlobalSize(data), file);
        }
        LoadFromStream(file);
        return;
    }
    // CF_BITMAP: the handle stays the clipboard's; we take a copy of its pixels.
    TBitmapImage borrowed;
    borrowed.handle.Reset(static_cast<HBITMAP>(data));
    BITMAP described{};
    GetObjectA(data, sizeof(described), &described);
    borrowed.width = described.bmWidth;
    borrowed.height = described.bmHeight;
    borrowed.monochrome = described.bmBitsPixel == 1 && described.bmPlanes == 1;
    std::shared_ptr<TBitmapImage> copy;
    {
        TScopeExit giveBack([&borrowed] { borrowed.handle.Release(); });
        copy = CreateImage(borrowed.width, borrowed.height, TPixelFormat::Device,
                           borrowed.monochrome, TOwnedPalette(CopyPalette(palette)));
        BlitImage(borrowed, *copy);
    }
    ReplaceImage(std::move(copy));
    Changed(this);
}

void TBitmap::SaveToClipboardFormat(UINT& format, HANDLE& data, HPALETTE& palette)
{
    format = CF_BITMAP;
    data = CopyAsDeviceBitmap(*image_);
    palette = CopyPalette(image_->palette.Get());
}

void TBitmap::LoadFromResourceName(HINSTANCE instance, const char* name)
{
    TResourceStream resource(instance, name, RT_BITMAP);
    TMemoryStream file;
    WritePackedDibAsFile(resource.Memory(), static_cast<SIZE_T>(resource.Size()), file);
    LoadFromStream(file);
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
