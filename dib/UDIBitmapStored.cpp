// The DIB graphic's stored forms: packed DIBs, BMP files, the stored data of a layout (also the
// framework bitmap's) and the clipboard's CF_DIB.
#include "dib/UDIBitmap.h"

#include "dib/UPackedDIB.h"
#include "framework/win32/UGMEMStream.h"
#include "framework/core/Exception.h"
#include "framework/core/FrameworkStrings.h"
#include "framework/core/ScopeGuard.h"
#include "framework/core/Stream.h"

#include <cstring>
#include <vector>

namespace {

constexpr WORD kBmpSignature = 0x4D42;   // "BM"
constexpr long kFileHeaderSize = sizeof(BITMAPFILEHEADER);
constexpr DWORD kInfoHeaderSize = sizeof(BITMAPINFOHEADER);
constexpr int kMaxColors = 256;
// Offset of "BM" in the framework bitmap's stored form (a 32-bit length, then the BMP file).
constexpr int kLengthPrefixSize = sizeof(DWORD);
// GDI's run-length decoder stops at this marker; it guards data that ends without one.
constexpr BYTE kEndOfBitmap[] = {0, 1};

static_assert(sizeof(RECT) == 16, "stored as four 32-bit integers");

[[noreturn]] void RaiseInvalidImage()
{
    throw EInvalidGraphic(SInvalidImage);
}

}  // namespace

void TDIBitmap::ReadDIB(TStream& stream)
{
    // Header and table are checked and sized before the section is made for them.
    auto dib = std::make_unique<TPackedDIB>();
    ReadPackedDIBHeader(stream, *dib);
    auto* info = reinterpret_cast<BITMAPINFO*>(&dib->info);
    void* bits = nullptr;
    TScopeExit release([this] { ReleaseCanvasDC(); });
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
    TScopeExit release([this] { ReleaseCanvasDC(); });
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
