// Loading a safety bitmap: compressed containers, repaired headers, run-length files decoded
// with checks of their own, and the palette arranged afterwards.
#include "bitmap/USafetyBitmap.h"

#include "dib/UScreenColors.h"
#include "payload/UZLIB.h"
#include "framework/graphics/Canvas.h"
#include "framework/graphics/Palette.h"
#include "framework/win32/GdiHandle.h"
#include "framework/core/Exception.h"
#include "framework/core/FrameworkStrings.h"
#include "framework/core/ImageSize.h"
#include "framework/core/ScopeGuard.h"
#include "framework/core/Stream.h"

#include <cstddef>
#include <cstring>

namespace {

constexpr WORD kBmpSignature = 0x4D42;   // "BM"
constexpr DWORD kInfoHeaderSize = sizeof(BITMAPINFOHEADER);
constexpr long kFileHeaderSize = sizeof(BITMAPFILEHEADER);
constexpr long kHeadersSize = kFileHeaderSize + kInfoHeaderSize;   // 54
// Field offsets in a BMP file.
constexpr long kOffBitsOffset = offsetof(BITMAPFILEHEADER, bfOffBits);                  // 10
constexpr long kSizeImageOffset = kFileHeaderSize + offsetof(BITMAPINFOHEADER, biSizeImage);  // 34
constexpr long kClrUsedOffset = kFileHeaderSize + offsetof(BITMAPINFOHEADER, biClrUsed);      // 46
constexpr int kMaxTableDepth = 8;
constexpr int kMaxColors = 256;
constexpr int kRle4Colors = 16;
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
// Deflate never produces more than about 1,032 bytes per input byte; a container that claims
// more than that of the bytes it has left is damaged, not big.
constexpr long long kMaxInflateRatio = 1032;
// What a BMP file holds besides its pixels at most: file and info headers, masks, colour table.
// (The bitmap loader takes info headers of up to 1,024 bytes.)
constexpr TByteCount kMaxInfoHeaderSize = 1024;
constexpr TByteCount kMaxBmpOverhead = kFileHeaderSize + kMaxInfoHeaderSize + 3 * sizeof(DWORD) +
                                       kMaxColors * sizeof(RGBQUAD);

[[noreturn]] void RaiseInvalidImage()
{
    throw EInvalidGraphic(SInvalidImage);
}

long RemainingBytes(TStream& stream)
{
    long remaining = stream.Size() - stream.Position();
    return remaining > 0 ? remaining : 0;
}

DWORD ReadDword(const BYTE* at)
{
    DWORD value = 0;
    std::memcpy(&value, at, sizeof(value));
    return value;
}

void WriteDword(BYTE* at, DWORD value)
{
    std::memcpy(at, &value, sizeof(value));
}

// A DIB header with room for the largest colour table.
struct TRunLengthInfo {
    BITMAPINFOHEADER header;
    RGBQUAD colors[kMaxColors];
};

// The two headers of a BMP file as the header checks read them.
struct TBmpHeaders {
    BITMAPFILEHEADER file;
    BITMAPINFOHEADER info;
};

// Reads the headers at the stream's position and puts the position back in every case (also
// when the read fails). False when they are short, not "BM", or not a 40-byte info header.
bool PeekInfoHeaders(TStream& stream, TBmpHeaders& headers)
{
    const long start = stream.Position();
    TScopeExit restore([&stream, start] { stream.SetPosition(start); });
    const bool complete =
        stream.Read(&headers.file, kFileHeaderSize) == kFileHeaderSize &&
        stream.Read(&headers.info, kInfoHeaderSize) == static_cast<long>(kInfoHeaderSize);
    return complete && headers.file.bfType == kBmpSignature &&
           headers.info.biSize == kInfoHeaderSize;
}

bool IsPaletteFormat(TPixelFormat format)
{
    return format == TPixelFormat::Bit4 || format == TPixelFormat::Bit8;
}

}  // namespace

// ---- palette adjustment ----

void TSafetyBitmap::AdjustPalette()
{
    const TPixelFormat format = PixelFormat();
    if (!IsPaletteFormat(format))
        return;
    const int count = format == TPixelFormat::Bit4 ? kRle4Colors : kMaxColors;
    HPALETTE palette = Palette();
    if (!palette)
        return;
    if (GetNearestPaletteIndex(palette, kBlack) == 0 &&
        GetNearestPaletteIndex(palette, kWhite) == static_cast<UINT>(count - 1))
        return;
    TOwnedPalette arranged = RequireHandle(CopyPalette(palette));
    ArrangePalette(arranged.Get(), true, count);
    // The setter re-renders the pixels against the new entries, so they keep their colours.
    SetPalette(std::move(arranged));
}

// ---- loading ----

bool TSafetyBitmap::NeedsRepair(TStream& stream, DWORD& colorCount)
{
    TBmpHeaders headers{};
    if (!PeekInfoHeaders(stream, headers))
        return false;
    const BITMAPINFOHEADER& info = headers.info;
    colorCount = info.biClrUsed;
    const TByteCount expected = DibImageBytes(info.biWidth, info.biHeight, info.biBitCount);
    const bool sizeDefect = info.biCompression == BI_RGB && info.biSizeImage != expected;
    bool tableDefect = false;
    if (info.biBitCount <= kMaxTableDepth && info.biClrUsed != 0 &&
        info.biClrUsed < (1u << info.biBitCount)) {
        tableDefect = true;
        colorCount = 1u << info.biBitCount;
    }
    return sizeDefect || tableDefect;
}

bool TSafetyBitmap::IsRLEBitmap(TStream& stream)
{
    TBmpHeaders headers{};
    if (!PeekInfoHeaders(stream, headers))
        return false;
    return headers.info.biCompression == BI_RLE8 || headers.info.biCompression == BI_RLE4;
}

void TSafetyBitmap::LoadFromStream(TStream& stream)
{
    SetIgnorePalette(false);
    long size = 0;
    if (ReadContainerHeader(stream, size)) {
        LoadFromContainer(stream, size);
    } else {
        DWORD colorCount = 0;
        if (NeedsRepair(stream, colorCount)) {
            TMemoryStream file;
            const long count = RemainingBytes(stream);
            file.SetSize(count);
            file.SetPosition(0);
            file.CopyFrom(stream, count);
            RepairAndLoad(file, colorCount);
        } else {
            LoadRLEBitmap(stream);
        }
    }
    AdjustPalette();
}

void TSafetyBitmap::LoadFromContainer(TStream& stream, long size)
{
    if (size < 0 || size > RemainingBytes(stream) * kMaxInflateRatio ||
        static_cast<TByteCount>(size) > kMaxDecodedImageBytes + kMaxBmpOverhead)
        RaiseInvalidImage();
    TMemoryStream file;
    file.SetSize(size);
    file.SetPosition(0);
    DecompressContainer(stream, file, size);
    file.SetPosition(0);
    DWORD colorCount = 0;
    if (NeedsRepair(file, colorCount)) {
        RepairAndLoad(file, colorCount);
    } else {
        file.SetPosition(0);
        LoadRLEBitmap(file);
    }
}

void TSafetyBitmap::RepairAndLoad(TMemoryStream& file, DWORD colorCount)
{
    const long size = file.Size();
    if (size < kHeadersSize)
        RaiseInvalidImage();
    BYTE* bytes = static_cast<BYTE*>(file.Memory());
    const DWORD used = ReadDword(bytes + kClrUsedOffset);
    if (colorCount != used) {
        // The table grows in front of the pixels: they move back by the added entries. Every
        // byte moved must lie inside the file, and the table cannot outgrow 256 entries.
        const DWORD offBits = ReadDword(bytes + kOffBitsOffset);
        if (colorCount < used || colorCount > static_cast<DWORD>(kMaxColors) ||
            offBits < static_cast<DWORD>(kHeadersSize) || offBits > static_cast<DWORD>(size))
            RaiseInvalidImage();
        const long added = static_cast<long>((colorCount - used) * sizeof(RGBQUAD));
        file.SetSize(size + added);
        bytes = static_cast<BYTE*>(file.Memory());
        std::memmove(bytes + offBits + added, bytes + offBits, size - offBits);
        WriteDword(bytes + kClrUsedOffset, colorCount);
    }
    // The base loader computes the image size itself.
    WriteDword(bytes + kSizeImageOffset, 0);
    file.SetPosition(0);
    TBitmap::LoadFromStream(file);
}

void TSafetyBitmap::LoadRLEBitmap(TStream& stream)
{
    if (!IsRLEBitmap(stream)) {
        TBitmap::LoadFromStream(stream);
        return;
    }
    if (auto* memory = dynamic_cast<TCustomMemoryStream*>(&stream)) {
        // A memory stream's bytes are decoded in place.
        const long start = memory->Position();
        const long size = memory->Size() - start;
        memory->Seek(0, SeekOrigin::End);
        DecodeRunLengths(static_cast<const BYTE*>(memory->Memory()) + start, size);
        return;
    }
    TMemoryStream copy;
    const long count = RemainingBytes(stream);
    copy.SetSize(count);
    copy.SetPosition(0);
    copy.CopyFrom(stream, count);
    DecodeRunLengths(static_cast<const BYTE*>(copy.Memory()), count);
}

void TSafetyBitmap::DecodeRunLengths(const BYTE* file, long size)
{
    BITMAPFILEHEADER fileHeader{};
    std::memcpy(&fileHeader, file, kFileHeaderSize);
    // GDI reads the header and table from a private copy, and at most the bytes the file holds.
    TRunLengthInfo info{};
    std::memcpy(&info.header, file + kFileHeaderSize, kInfoHeaderSize);
    const BITMAPINFOHEADER& header = info.header;
    const bool rle4 = header.biCompression == BI_RLE4;
    const int depth = rle4 ? 4 : 8;
    if (header.biBitCount != depth || header.biClrUsed > static_cast<DWORD>(kMaxColors) ||
        header.biWidth < 0 || header.biHeight <= 0 ||
        !ImageWithinBudget(header.biWidth, header.biHeight))
        RaiseInvalidImage();
    int count = LOWORD(header.biClrUsed);
    if (count == 0)
        count = rle4 ? kRle4Colors : kMaxColors;
    const DWORD offBits = fileHeader.bfOffBits;
    const long long tableEnd = kHeadersSize + static_cast<long long>(count) * sizeof(RGBQUAD);
    if (tableEnd > size || offBits > static_cast<DWORD>(size))
        RaiseInvalidImage();
    const DWORD available = static_cast<DWORD>(size) - offBits;
    if (info.header.biSizeImage == 0)
        info.header.biSizeImage = available;
    if (info.header.biSizeImage > available)
        RaiseInvalidImage();
    std::memcpy(info.colors, file + kHeadersSize, count * sizeof(RGBQUAD));

    // Each format, palette and size change makes a new image: the table and pixels go last.
    SetPixelFormat(rle4 ? TPixelFormat::Bit4 : TPixelFormat::Bit8);
    SetPalette(RequireHandle(PaletteFromColorTable(info.colors, count)));
    SetSize(header.biWidth, header.biHeight);
    if (Empty())
        return;
    HDC dc = Canvas().Handle();
    if (header.biClrUsed != 0)
        SetDIBColorTable(dc, 0, header.biClrUsed, info.colors);
    Palette();
    const int width = header.biWidth;
    const int height = header.biHeight;
    StretchDIBits(dc, 0, 0, width, height, 0, 0, width, height, file + offBits,
                  reinterpret_cast<const BITMAPINFO*>(&info), DIB_RGB_COLORS, SRCCOPY);
    GdiFlush();
}

void TSafetyBitmap::ReadData(TStream& stream)
{
    long length = 0;
    stream.ReadBuffer(&length, sizeof(length));
    if (length < 0)
        RaiseInvalidImage();
    // The stored length is only a claim: nothing is allocated for bytes that are not there.
    if (length > RemainingBytes(stream))
        RaiseReadError();
    if (length == RemainingBytes(stream)) {
        LoadFromStream(stream);
        return;
    }
    // Only the stored bytes: what follows them is not part of the picture.
    TMemoryStream data;
    if (length > 0) {
        data.SetSize(length);
        data.SetPosition(0);
        data.CopyFrom(stream, length);
    }
    data.SetPosition(0);
    LoadFromStream(data);
}
