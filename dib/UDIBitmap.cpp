#include "dib/UDIBitmap.h"

#include "framework/graphics/Bitmap.h"
#include "framework/graphics/Canvas.h"
#include "framework/graphics/Palette.h"
#include "framework/win32/WindowsFamily.h"
#include "framework/core/Exception.h"
#include "framework/core/FrameworkStrings.h"
#include "framework/core/ResText.h"
#include "framework/core/ScopeGuard.h"
#include "framework/core/Stream.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr DWORD kInfoHeaderSize = sizeof(BITMAPINFOHEADER);

std::string SectionErrorText(DWORD error)
{
    std::string text = LoadResText(SCannotCreateDIBSection);
    std::string::size_type at = text.find("%d");
    if (at != std::string::npos)
        text.replace(at, 2, std::to_string(static_cast<int>(error)));
    return text;
}

int RectWidthOf(const RECT& rect)
{
    return rect.right - rect.left;
}

int RectHeightOf(const RECT& rect)
{
    return rect.bottom - rect.top;
}

}  // namespace

// ---- TDIBCanvas ----

HBITMAP TDIBCanvas::GetBitmapHandle()
{
    return owner_.GetHandle();
}

// ---- TDIBitmap ----

bool TDIBitmap::DefaultDrawFromBits = true;

void TDIBitmap::InitializeDrawRoute()
{
    // Windows NT draws through the canvas; 95/98 from the bits.
    DefaultDrawFromBits = !IsNtFamily();
}

TDIBitmap::TDIBitmap() : info_(std::make_unique<TDIBInfo>()), drawFromBits_(DefaultDrawFromBits)
{
    std::memset(info_.get(), 0, sizeof(TDIBInfo));
    BITMAPINFOHEADER& header = info_->header;
    header.biSize = kInfoHeaderSize;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
}

TDIBitmap::~TDIBitmap()
{
    FreeHandles();
    canvas_.reset();
}

int TDIBitmap::ImageHeight() const
{
    return std::abs(info_->header.biHeight);
}

bool TDIBitmap::Empty()
{
    return info_->header.biWidth == 0 || info_->header.biHeight == 0;
}

int TDIBitmap::Width()
{
    return RectWidthOf(sourceRect_);
}

int TDIBitmap::Height()
{
    return RectHeightOf(sourceRect_);
}

void TDIBitmap::SetWidth(int width)
{
    if (width == Width())
        return;
    sourceRect_.right = sourceRect_.left + width;
    Changed(this);
}

void TDIBitmap::SetHeight(int height)
{
    if (height == Height())
        return;
    sourceRect_.bottom = sourceRect_.top + height;
    Changed(this);
}

HBITMAP TDIBitmap::GetHandle()
{
    if (!handle_) {
        void* bits = nullptr;
        CreateSection(reinterpret_cast<const BITMAPINFO*>(info_.get()), bits);
    }
    return handle_.Get();
}

TDIBCanvas& TDIBitmap::GetCanvas()
{
    if (!canvas_)
        canvas_ = std::make_unique<TDIBCanvas>(*this);
    return *canvas_;
}

void TDIBitmap::ReleaseCanvasDC()
{
    if (canvas_)
        canvas_->FreeHandle();
}

void TDIBitmap::FreeHandles()
{
    ReleaseCanvasDC();
    palette_.Reset();
    handle_.Reset();
}

int TDIBitmap::CreateSection(const BITMAPINFO* info, void*& bits)
{
    FreeHandles();
    // info may be our own stored header: take what is needed from it before it is replaced.
    const bool infoHeader = info->bmiHeader.biSize == kInfoHeaderSize;
    const DWORD colorsUsed = info->bmiHeader.biClrUsed;
    const DWORD colorsImportant = info->bmiHeader.biClrImportant;
    const bool topDown = infoHeader && info->bmiHeader.biHeight < 0;
    bits = nullptr;
    HBITMAP section = CreateDIBSection(nullptr, info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!section)
        throw EInvalidGraphic(SectionErrorText(GetLastError()));
    handle_.Reset(section);
    DIBSECTION described{};
    GetObjectA(section, sizeof(described), &described);
    BITMAPINFOHEADER& header = info_->header;
    header = described.dsBmih;
    // Every section is made from plain rows; some systems describe 16- and 32-bit ones by
    // their (plain) masks, which the stored header has no room for.
    header.biCompression = BI_RGB;
    // Wine reports a top-down section with a positive height; its rows are still top-down.
    if (topDown && header.biHeight > 0)
        header.biHeight = -header.biHeight;
    if (infoHeader) {
        header.biClrUsed = colorsUsed;
        header.biClrImportant = colorsImportant;
    }
    sourceRect_ = RECT{0, 0, header.biWidth, ImageHeight()};
    return static_cast<int>(header.biSizeImage);
}

std::unique_ptr<RGBQUAD[]> TDIBitmap::GetColorTable(int& count)
{
    count = ColorCount(info_->header);
    if (count == 0)
        return nullptr;
    auto table = std::make_unique<RGBQUAD[]>(count);   // zero: entries GDI does not fill
    GetDIBColorTable(GetCanvas().Handle(), 0, count, table.get());
    return table;
}

void* TDIBitmap::SectionBits()
{
    BITMAP described{};
    GetObjectA(GetHandle(), sizeof(described), &described);
    GdiFlush();   // drawing into the section must be in the bits before they are used
    return described.bmBits;
}

HPALETTE TDIBitmap::Palette()
{
    if (!palette_ && !Empty()) {
        TScopeExit release([this] { ReleaseCanvasDC(); });
        int count = 0;
        std::unique_ptr<RGBQUAD[]> table = GetColorTable(count);
        if (table)
            palette_ = PaletteFromColorTable(table.get(), count);
    }
    return palette_.Get();
}

void TDIBitmap::SetPalette(TOwnedPalette palette)
{
    if (palette.Get() == palette_.Get())
        palette.Release();   // its own already
    else
        palette_ = std::move(palette);
}

void TDIBitmap::Assign(TPersistent* source)
{
    if (auto* bitmap = dynamic_cast<TBitmap*>(source)) {
        TMemoryStream file;
        bitmap->SaveToStream(file);
        file.SetPosition(0);
        LoadFromStream(file);
        return;
    }
    TGraphic::Assign(source);
}

void TDIBitmap::AssignTo(TPersistent& dest)
{
    if (auto* bitmap = dynamic_cast<TBitmap*>(&dest)) {
        // Emptied first, so that the palette and the new size apply to a fresh image.
        bitmap->SetWidth(0);
        bitmap->SetHeight(0);
        if (HPALETTE palette = Palette())
            bitmap->SetPalette(CopyPalette(palette));
        bitmap->SetWidth(Width());
        bitmap->SetHeight(Height());
        bitmap->Canvas().Draw(0, 0, this);
        return;
    }
    if (auto* dib = dynamic_cast<TDIBitmap*>(&dest)) {
        TMemoryStream file;
        SaveToStream(file);
        file.SetPosition(0);
        dib->LoadFromStream(file);
        dib->sourceRect_ = sourceRect_;
        return;
    }
    TGraphic::AssignTo(dest);
}

void TDIBitmap::Draw(TCanvas& canvas, const RECT& rect)
{
    if (Empty())
        return;
    HDC dc = canvas.Handle();
    SetStretchBltMode(dc, COLORONCOLOR);
    TScopeExit release([this] { ReleaseCanvasDC(); });
    // A background palette: the target's own foreground colours are left alone.
    TSelectPalette palette(dc, Palette(), true, true);
    // The section's DC is made afresh for the blit below.
    if (!drawFromBits_ && canvas_)
        canvas_->FreeHandle();
    const void* bits = SectionBits();
    if (!DrawPart(canvas, rect, sourceRect_, bits))
        DrawByRows(canvas, rect, bits);
}

bool TDIBitmap::DrawPart(TCanvas& canvas, const RECT& dest, const RECT& source, const void* bits)
{
    HDC dc = canvas.Handle();
    const int destWidth = RectWidthOf(dest);
    const int destHeight = RectHeightOf(dest);
    const int sourceWidth = RectWidthOf(source);
    const int sourceHeight = RectHeightOf(source);
    if (!RectVisible(dc, &dest) || destWidth == 0 || destHeight == 0 || sourceWidth == 0 ||
        sourceHeight == 0)
        return true;
    if (drawFromBits_) {
        // StretchDIBits counts source rows from the bottom of the image, for top-down DIBs too.
        const int ySource = ImageHeight() - source.bottom;
        return StretchDIBits(dc, dest.left, dest.top, destWidth, destHeight, source.left,
                             ySource, sourceWidth, sourceHeight, bits,
                             reinterpret_cast<const BITMAPINFO*>(info_.get()), DIB_RGB_COLORS,
                             canvas.CopyMode()) != 0;
    }
    return StretchBlt(dc, dest.left, dest.top, destWidth, destHeight, GetCanvas().Handle(),
                      source.left, source.top, sourceWidth, sourceHeight,
                      canvas.CopyMode()) != 0;
}

void TDIBitmap::DrawByRows(TCanvas& canvas, const RECT& rect, const void* bits)
{
    const int rows = RectHeightOf(rect);
    const RECT clip = canvas.ClipRect();
    const long long shown = Height();
    for (int i = 0; i < rows; ++i) {
        const int y = rect.top + i;
        if (y < clip.top || y > clip.bottom)
            continue;
        const int t = sourceRect_.top + static_cast<int>(shown * i / rows);
        DrawPart(canvas, RECT{rect.left, y, rect.right, y + 1},
                 RECT{sourceRect_.left, t, sourceRect_.right, t + 1}, bits);
    }
}
