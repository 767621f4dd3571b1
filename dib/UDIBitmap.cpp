#include "dib/UDIBitmap.h"

#include "framework/win32/UGMEMStream.h"
#include "dib/UPackedDIB.h"
#include "framework/graphics/Bitmap.h"
#include "framework/graphics/Canvas.h"
#include "framework/core/Exception.h"
#include "framework/core/FrameworkStrings.h"
#include "framework/graphics/Palette.h"
#include "framework/core/ResText.h"
#include "framework/core/ScopeGuard.h"
#include "framework/core/Stream.h"
#include "framework/win32/WindowsFamily.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr WORD kBmpSignature = 0x4D42;   // "BM"
constexpr long kFileHeaderSize = sizeof(BITMAPFILEHEADER);
constexpr DWORD kCoreHeaderSize = sizeof(BITMAPCOREHEADER);
constexpr DWORD kInfoHeaderSize = sizeof(BITMAPINFOHEADER);
constexpr int kMaxColors = 256;
// Offset of "BM" in the framework bitmap's stored form (a 32-bit length, then the BMP file).
constexpr int kLengthPrefixSize = sizeof(DWORD);
// GDI's run-length decoder stops at this marker; it guards data that ends without one.
constexpr BYTE kEndOfBitmap[] = {0, 1};

static_assert(sizeof(TDIBInfo) == 1064, "header and full colour table");
static_assert(sizeof(RECT) == 16, "stored as four 32-bit integers");

[[noreturn]] void RaiseInvalidImage()
{
    throw EInvalidGraphic(SInvalidImage);
}

std::string SectionErrorText(DWORD error)
{
    std::string text = LoadResText(SCannotCreateDIBSection);
    std::string::size_type at = text.find("%d");
    if (at != std::string::npos)
        text.replace(at, 2, std::to_string(static_cast<int>(error)));
    return text;
}

int TableEntries(int depth)
{
    return depth == 1 || depth == 4 || depth == 8 ? 1 << depth : 0;
}

// Releases the DIB canvas's DC at the end of an operation, so an idle graphic holds none.
auto CanvasReleasedAtEnd(std::unique_ptr<TDIBCanvas>& canvas)
{
    return TScopeExit([&canvas] {
        if (canvas)
            canvas->FreeHandle();
    });
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

int TDIBitmap::ColorCount(const BITMAPINFOHEADER& header)
{
    if (header.biClrUsed != 0)
        return static_cast<int>(header.biClrUsed);
    return TableEntries(header.biBitCount);
}

int TDIBitmap::InfoSize(const BITMAPINFOHEADER& header)
{
    if (header.biSize == kCoreHeaderSize) {
        const auto& core = reinterpret_cast<const BITMAPCOREHEADER&>(header);
        return kCoreHeaderSize + sizeof(RGBTRIPLE) * TableEntries(core.bcBitCount);
    }
    return static_cast<int>(header.biSize) + sizeof(RGBQUAD) * ColorCount(header);
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

void TDIBitmap::FreeHandles()
{
    if (canvas_)
        canvas_->FreeHandle();
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

void TDIBitmap::ReadDIB(TStream& stream)
{
    // Header and table are checked and sized before the section is made for them.
    auto dib = std::make_unique<TPackedDIB>();
    ReadPackedDIBHeader(stream, *dib);
    auto* info = reinterpret_cast<BITMAPINFO*>(&dib->info);
    void* bits = nullptr;
    auto release = CanvasReleasedAtEnd(canvas_);
    int imageSize = CreateSection(info, bits);
    GetDIBColorTable(GetCanvas().Handle(), 0, kMaxColors, info_->colors);
    if (dib->Converts())
        ReadBitfieldPixels(stream, *dib, bits);
    else
        ReadPixels(stream, info, dib->compression, bits, imageSize);
}

void TDIBitmap::ReadPixels(TStream& stream, BITMAPINFO* file, DWORD compression, void* bits,
                           int imageSize)
{
    if (compression == BI_RGB) {
        stream.ReadBuffer(bits, imageSize);
        return;
    }
    // GDI decodes the run lengths into the (uncompressed) section.
    file->bmiHeader.biCompression = compression;
    const DWORD dataSize = file->bmiHeader.biSizeImage;
    std::vector<BYTE> block(dataSize + sizeof(kEndOfBitmap));
    stream.ReadBuffer(block.data(), static_cast<long>(dataSize));
    std::memcpy(block.data() + dataSize, kEndOfBitmap, sizeof(kEndOfBitmap));
    file->bmiHeader.biSizeImage = static_cast<DWORD>(block.size());
    const int width = info_->header.biWidth;
    const int height = ImageHeight();
    StretchDIBits(GetCanvas().Handle(), 0, 0, width, height, 0, 0, width, height, block.data(),
                  file, DIB_RGB_COLORS, SRCCOPY);
    GdiFlush();
}

void TDIBitmap::WriteDIB(TStream& stream)
{
    if (Empty())
        return;
    auto release = CanvasReleasedAtEnd(canvas_);
    stream.WriteBuffer(&info_->header, kInfoHeaderSize);
    int count = 0;
    std::unique_ptr<RGBQUAD[]> table = GetColorTable(count);
    if (table)
        stream.WriteBuffer(table.get(), static_cast<long>(count * sizeof(RGBQUAD)));
    stream.WriteBuffer(SectionBits(), static_cast<long>(info_->header.biSizeImage));
}

void TDIBitmap::LoadFromStream(TStream& stream)
{
    BITMAPFILEHEADER header{};
    stream.ReadBuffer(&header, kFileHeaderSize);
    if (header.bfType != kBmpSignature)
        RaiseInvalidImage();
    SetModified(true);
    ReadDIB(stream);
}

void TDIBitmap::SaveToStream(TStream& stream)
{
    if (Empty())
        return;
    BITMAPFILEHEADER header{};
    const DWORD offBits = kFileHeaderSize + InfoSize(info_->header);
    header.bfType = kBmpSignature;
    header.bfSize = offBits + info_->header.biSizeImage;
    header.bfOffBits = offBits;
    stream.WriteBuffer(&header, kFileHeaderSize);
    WriteDIB(stream);
}

void TDIBitmap::WriteData(TStream& stream)
{
    SaveToStream(stream);
    stream.WriteBuffer(&sourceRect_, sizeof(sourceRect_));
}

void TDIBitmap::ReadData(TStream& stream)
{
    BYTE start[kFileHeaderSize] = {};
    stream.ReadBuffer(start, kFileHeaderSize);
    WORD signature = 0;
    std::memcpy(&signature, start, sizeof(signature));
    if (signature == kBmpSignature) {
        SetModified(true);
        ReadDIB(stream);
        stream.ReadBuffer(&sourceRect_, sizeof(sourceRect_));
        return;
    }
    if (start[kLengthPrefixSize] == 'B' && start[kLengthPrefixSize + 1] == 'M') {
        // The framework bitmap's form: step over the rest of its file header.
        stream.Seek(kLengthPrefixSize, SeekOrigin::Current);
        SetModified(true);
        ReadDIB(stream);
        return;
    }
    RaiseInvalidImage();
}

void TDIBitmap::LoadFromClipboardFormat(UINT format, HANDLE data, HPALETTE)
{
    if (format != CF_DIB || !data)
        throw EInvalidGraphic(SUnsupportedClipboard);
    TGMEMStream stream(static_cast<HGLOBAL>(data));
    ReadDIB(stream);
}

void TDIBitmap::SaveToClipboardFormat(UINT& format, HANDLE& data, HPALETTE&)
{
    format = CF_DIB;
    data = nullptr;
    if (Empty())
        return;
    TGMEMStream stream;
    WriteDIB(stream);
    data = stream.ReleaseHandle();
}

HPALETTE TDIBitmap::Palette()
{
    if (!palette_ && !Empty()) {
        auto release = CanvasReleasedAtEnd(canvas_);
        int count = 0;
        std::unique_ptr<RGBQUAD[]> table = GetColorTable(count);
        if (table)
            palette_.Reset(PaletteFromColorTable(table.get(), count));
    }
    return palette_.Get();
}

void TDIBitmap::SetPalette(HPALETTE palette)
{
    if (palette != palette_.Get())
        palette_.Reset(palette);
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
    auto release = CanvasReleasedAtEnd(canvas_);
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
