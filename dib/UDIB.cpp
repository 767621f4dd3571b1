#include "dib/UDIB.h"

#include "dib/UScreenColors.h"
#include "framework/graphics/Bitmap.h"
#include "framework/graphics/Canvas.h"
#include "framework/graphics/Palette.h"
#include "framework/win32/GdiHandle.h"

#include <cstdlib>
#include <cstring>

// {6F0D2C8E-4B5A-4E39-9C1F-2A7B3D58E410}
const IID IID_IBitsHolder = {
    0x6f0d2c8e, 0x4b5a, 0x4e39, {0x9c, 0x1f, 0x2a, 0x7b, 0x3d, 0x58, 0xe4, 0x10}};

namespace {

int liveHolders = 0;

constexpr int kMaxColorTableBits = 8;
constexpr int kRowAlignBits = 32;
constexpr int kBitsPerByte = 8;

// Bytes of a bottom-up DIB of that size with rows padded to 4 bytes.
DWORD ImageSize(LONG width, LONG height, WORD bitCount)
{
    const DWORD rowBytes =
        (static_cast<DWORD>(width) * bitCount + kRowAlignBits - 1) / kRowAlignBits *
        (kRowAlignBits / kBitsPerByte);
    return rowBytes * static_cast<DWORD>(height < 0 ? -height : height);
}

bool IsColorTableFormat(TPixelFormat format)
{
    return format == TPixelFormat::Bit1 || format == TPixelFormat::Bit4 ||
           format == TPixelFormat::Bit8;
}

// Whether the bitmap's DIB stores its top row first.
bool IsTopDownSection(TBitmap& bitmap)
{
    if (bitmap.HandleType() != TBitmapHandleType::DIB || bitmap.Height() < 2)
        return false;
    return bitmap.ScanLine(0) < bitmap.ScanLine(1);
}

} // namespace

// ---- TBitsHolder ----

TBitsHolder::TBitsHolder()
{
    ++liveHolders;
}

TBitsHolder::~TBitsHolder()
{
    FreeOwnedBits();
    --liveHolders;
}

IBitsHolder* TBitsHolder::Create()
{
    return new TBitsHolder;
}

int TBitsHolder::LiveCount()
{
    return liveHolders;
}

HRESULT STDMETHODCALLTYPE TBitsHolder::QueryInterface(REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    if (IsEqualIID(iid, IID_IBitsHolder) || IsEqualIID(iid, __uuidof(IUnknown))) {
        *object = static_cast<IBitsHolder*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE TBitsHolder::AddRef()
{
    return ++refCount_;
}

ULONG STDMETHODCALLTYPE TBitsHolder::Release()
{
    const ULONG remaining = --refCount_;
    if (remaining == 0)
        delete this;
    return remaining;
}

void STDMETHODCALLTYPE TBitsHolder::SetBits(void* bits, BOOL owns)
{
    if (bits != bits_)
        FreeOwnedBits();
    bits_ = bits;
    owns_ = owns != FALSE;
}

void* STDMETHODCALLTYPE TBitsHolder::GetBits()
{
    return bits_;
}

void TBitsHolder::FreeOwnedBits()
{
    if (owns_)
        std::free(bits_);
    bits_ = nullptr;
    owns_ = false;
}

// ---- TDIB ----

TDIB::TDIB() : info_{} {}

TInterfaceRef<IBitsHolder> TDIB::Holder() const
{
    IBitsHolder* holder = nullptr;
    if (bits_)
        bits_->QueryInterface(IID_IBitsHolder, reinterpret_cast<void**>(&holder));
    return TInterfaceRef<IBitsHolder>::Adopt(holder);
}

void* TDIB::Bits() const
{
    TInterfaceRef<IBitsHolder> holder = Holder();
    return holder ? holder->GetBits() : nullptr;
}

void TDIB::Assign(const TDIB& source)
{
    if (&source == this)
        return;
    info_ = source.info_;
    bits_ = source.bits_;
}

void TDIB::AssignBitmap(TBitmap& bitmap)
{
    HPALETTE palette = nullptr;
    if (bitmap.HandleType() == TBitmapHandleType::DDB) {
        if (IsPaletteDevice())
            palette = bitmap.Palette();
    } else if (IsColorTableFormat(bitmap.PixelFormat())) {
        palette = bitmap.Palette();
    }
    // GDI reports a section's height without the sign of a top-down layout; the bitmap knows
    // it (asked before Handle, because ScanLine may give the bitmap a private image).
    const bool topDown = IsTopDownSection(bitmap);
    HBITMAP handle = bitmap.Handle();
    // A bitmap can be selected into one DC only; the reading below needs it in its own.
    bitmap.Dormant();
    AssignHandle(handle, palette);
    if (topDown && Bits() && info_.header.biHeight > 0)
        info_.header.biHeight = -info_.header.biHeight;
}

void TDIB::AssignHandle(HBITMAP bitmap, HPALETTE palette)
{
    // The previous holder goes (with its bits when it owned them and nobody else refers to it);
    // the new one lives as long as bits_ refers to it.
    IBitsHolder* holder = TBitsHolder::Create();
    bits_ = TInterfaceRef<IUnknown>::Adopt(holder);
    info_ = TDIBHeader{};

    DIBSECTION section{};
    if (GetObjectA(bitmap, sizeof section, &section) == sizeof section && section.dsBm.bmBits)
        TakeSection(bitmap, section, *holder);
    else
        ExtractBits(bitmap, palette, *holder);
}

void TDIB::TakeSection(HBITMAP section, const DIBSECTION& description, IBitsHolder& holder)
{
    holder.SetBits(description.dsBm.bmBits, FALSE);
    info_.header = description.dsBmih;
    // The masks of a bitfield section take the colour table's place; without them its pixels
    // would be drawn black.
    if (info_.header.biCompression == BI_BITFIELDS) {
        std::memcpy(info_.colors, description.dsBitfields, sizeof(description.dsBitfields));
        return;
    }
    TMemoryDC dc;
    TSelectObject select(dc, section);
    GetDIBColorTable(dc, 0, 256, info_.colors);
}

void TDIB::ExtractBits(HBITMAP bitmap, HPALETTE palette, IBitsHolder& holder)
{
    BITMAP described{};
    if (GetObjectA(bitmap, sizeof described, &described) != sizeof described)
        return;   // no bitmap: the copy stays empty
    BITMAPINFOHEADER& header = info_.header;
    header.biSize = sizeof header;
    header.biWidth = described.bmWidth;
    header.biHeight = described.bmHeight;
    header.biPlanes = 1;
    header.biBitCount = static_cast<WORD>(described.bmBitsPixel * described.bmPlanes);
    header.biCompression = BI_RGB;
    header.biSizeImage = ImageSize(header.biWidth, header.biHeight, header.biBitCount);

    void* bits = std::calloc(header.biSizeImage ? header.biSizeImage : 1, 1);
    if (!bits)
        RaiseOutOfResources();
    holder.SetBits(bits, TRUE);
    {
        TMemoryDC dc;
        TSelectPalette select(dc, palette, false, true);
        GetDIBits(dc, bitmap, 0, header.biHeight, bits, reinterpret_cast<BITMAPINFO*>(&info_),
                  DIB_RGB_COLORS);
    }
    if (!palette || header.biBitCount > kMaxColorTableBits)
        return;
    PALETTEENTRY entries[kMaxPaletteEntries];
    const int n = static_cast<int>(GetPaletteEntries(palette, 0, kMaxPaletteEntries, entries));
    for (int i = 0; i < n && i < kMaxPaletteEntries; ++i) {
        info_.colors[i].rgbBlue = entries[i].peBlue;
        info_.colors[i].rgbGreen = entries[i].peGreen;
        info_.colors[i].rgbRed = entries[i].peRed;
    }
}

bool TDIB::Draw(TCanvas& canvas, const RECT& destRect, const RECT& sourceRect)
{
    const int dstW = destRect.right - destRect.left;
    const int dstH = destRect.bottom - destRect.top;
    const int srcW = sourceRect.right - sourceRect.left;
    const int srcH = sourceRect.bottom - sourceRect.top;
    // Nothing to draw is no failure: an empty source must not send callers to the row
    // fallback, which draws the whole image.
    if (dstW == 0 || dstH == 0 || srcW == 0 || srcH == 0)
        return true;
    void* bits = Bits();
    if (!bits)
        return true;
    HDC dc = canvas.Handle();
    if (!RectVisible(dc, &destRect))
        return true;
    // StretchDIBits counts source rows from the bottom of the image, for top-down DIBs too
    // (seen on the target platform), so the part's rows are turned round for both layouts.
    const LONG height = info_.header.biHeight < 0 ? -info_.header.biHeight : info_.header.biHeight;
    const int ySrc = height - sourceRect.bottom;
    const int previousMode = SetStretchBltMode(dc, COLORONCOLOR);
    const int rows = StretchDIBits(dc, destRect.left, destRect.top, dstW, dstH, sourceRect.left,
                                   ySrc, srcW, srcH, bits,
                                   reinterpret_cast<const BITMAPINFO*>(&info_), DIB_RGB_COLORS,
                                   canvas.CopyMode());
    SetStretchBltMode(dc, previousMode);
    return rows != 0 && rows != static_cast<int>(GDI_ERROR);
}

void TDIB::DrawWithRowFallback(TCanvas& canvas, const RECT& destRect, const RECT& sourceRect)
{
    if (Draw(canvas, destRect, sourceRect))
        return;
    // Some devices refuse large transfers; each destination row is drawn from its band of
    // source rows of the whole image.
    const int n = destRect.bottom - destRect.top;
    const int height = info_.header.biHeight < 0 ? -info_.header.biHeight : info_.header.biHeight;
    const int width = info_.header.biWidth;
    for (int i = 0; i < n; ++i) {
        const int top = static_cast<int>(static_cast<long long>(height) * i / n);
        int bottom = static_cast<int>(static_cast<long long>(height) * (i + 1) / n);
        if (bottom == top)
            bottom = top + 1;
        Draw(canvas, RECT{destRect.left, destRect.top + i, destRect.right, destRect.top + i + 1},
             RECT{0, top, width, bottom});
    }
}
