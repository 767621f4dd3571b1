#include "dib/UPackedDIB.h"

#include "framework/core/Exception.h"
#include "framework/core/FrameworkStrings.h"
#include "framework/core/ImageSize.h"
#include "framework/core/Stream.h"

#include <cstring>
#include <vector>

namespace {

constexpr DWORD kCoreHeaderSize = sizeof(BITMAPCOREHEADER);
constexpr DWORD kInfoHeaderSize = sizeof(BITMAPINFOHEADER);
// Version 4 and 5 headers are 108 and 124 bytes; a header far beyond that is garbage.
constexpr DWORD kMaxHeaderSize = 1024;
constexpr int kMaskCount = 3;
constexpr DWORD kMaskBytes = kMaskCount * sizeof(DWORD);
constexpr int kMaxColors = 256;
constexpr int kConvertedDepth = 32;
constexpr int kChannelMax = 255;
// The masks that plain (BI_RGB) 16- and 32-bit rows have.
constexpr DWORD kPlain16Masks[kMaskCount] = {0x7C00, 0x03E0, 0x001F};
constexpr DWORD kPlain32Masks[kMaskCount] = {0xFF0000, 0x00FF00, 0x0000FF};

[[noreturn]] void RaiseInvalidImage()
{
    throw EInvalidGraphic(SInvalidImage);
}

TByteCount RemainingBytes(TStream& stream)
{
    const long remaining = stream.Size() - stream.Position();
    return remaining > 0 ? static_cast<TByteCount>(remaining) : 0;
}

int TableEntries(int depth)
{
    return depth == 1 || depth == 4 || depth == 8 ? 1 << depth : 0;
}

bool ValidInfo(const BITMAPINFOHEADER& header)
{
    const int depth = header.biBitCount;
    if (header.biPlanes != 1 || header.biClrUsed > static_cast<DWORD>(kMaxColors))
        return false;
    switch (header.biCompression) {
    case BI_RGB:
        return TableEntries(depth) != 0 || depth == 16 || depth == 24 || depth == 32;
    case BI_RLE8:
    case BI_RLE4:
        // Run-length data is always bottom-up and belongs to one depth.
        return header.biHeight > 0 && depth == (header.biCompression == BI_RLE8 ? 8 : 4);
    case BI_BITFIELDS:
        return depth == 16 || depth == 32;
    default:
        return false;
    }
}

// A 12-byte core header with its 3-byte colour entries, kept as read: GDI takes it so.
void ReadCore(TStream& stream, TPackedDIB& dib)
{
    auto* raw = reinterpret_cast<BYTE*>(&dib.info);
    stream.ReadBuffer(raw + sizeof(DWORD), kCoreHeaderSize - sizeof(DWORD));
    BITMAPCOREHEADER core{};
    std::memcpy(&core, raw, sizeof(core));
    if (core.bcPlanes != 1 || (TableEntries(core.bcBitCount) == 0 && core.bcBitCount != 24))
        RaiseInvalidImage();
    stream.ReadBuffer(raw + kCoreHeaderSize,
                      static_cast<long>(TableEntries(core.bcBitCount) * sizeof(RGBTRIPLE)));
    dib.sourceDepth = core.bcBitCount;
}

// A 40-byte or longer header in 40-byte form; masks after a 40-byte header or inside a longer one.
void ReadInfo(TStream& stream, TPackedDIB& dib, DWORD size)
{
    BITMAPINFOHEADER& header = dib.info.header;
    stream.ReadBuffer(reinterpret_cast<BYTE*>(&header) + sizeof(DWORD),
                      kInfoHeaderSize - sizeof(DWORD));
    std::vector<BYTE> extension(size - kInfoHeaderSize);
    stream.ReadBuffer(extension.data(), static_cast<long>(extension.size()));
    header.biSize = kInfoHeaderSize;
    if (!ValidInfo(header))
        RaiseInvalidImage();
    dib.compression = header.biCompression;
    dib.sourceDepth = header.biBitCount;
    if (dib.compression == BI_BITFIELDS) {
        if (extension.size() >= kMaskBytes)
            std::memcpy(dib.masks, extension.data(), kMaskBytes);
        else
            stream.ReadBuffer(dib.masks, kMaskBytes);
        if (!dib.masks[0] || !dib.masks[1] || !dib.masks[2])
            RaiseInvalidImage();
        const DWORD* plain = dib.sourceDepth == 16 ? kPlain16Masks : kPlain32Masks;
        if (std::memcmp(dib.masks, plain, kMaskBytes) == 0)
            dib.compression = BI_RGB;
    }
    stream.ReadBuffer(dib.info.colors,
                      static_cast<long>(DibColorCount(header) * sizeof(RGBQUAD)));
    header.biCompression = BI_RGB;   // the section is made uncompressed
    if (dib.Converts()) {
        header.biBitCount = kConvertedDepth;
        header.biClrUsed = 0;
        header.biClrImportant = 0;
    }
}

// Bytes of the section and of the stored pixels; both checked before a section is made.
void CheckSizes(TStream& stream, const TPackedDIB& dib)
{
    bool withinBudget = false;
    TByteCount stored = 0;
    const BITMAPINFOHEADER& header = dib.info.header;
    if (header.biSize == kCoreHeaderSize) {
        BITMAPCOREHEADER core{};
        std::memcpy(&core, &header, sizeof(core));
        withinBudget = ImageWithinBudget(core.bcWidth, core.bcHeight);
        stored = DibImageBytes(core.bcWidth, core.bcHeight, core.bcBitCount);
    } else {
        withinBudget = ImageWithinBudget(header.biWidth, header.biHeight);
        const bool runLengths = dib.compression == BI_RLE8 || dib.compression == BI_RLE4;
        stored = runLengths ? header.biSizeImage
                            : DibImageBytes(header.biWidth, header.biHeight, dib.sourceDepth);
    }
    if (!withinBudget)
        RaiseInvalidImage();
    if (stored > RemainingBytes(stream))
        RaiseReadError();
}

// Shift and largest value of a channel mask (nonzero).
struct TChannel {
    int shift = 0;
    DWORD max = 0;

    explicit TChannel(DWORD mask)
    {
        while (!(mask & 1)) {
            mask >>= 1;
            ++shift;
        }
        max = mask;
    }
    BYTE Value(DWORD pixel, DWORD mask) const
    {
        const unsigned long long value = (pixel & mask) >> shift;
        return static_cast<BYTE>((value * kChannelMax + max / 2) / max);
    }
};

}  // namespace

void ReadPackedDIBHeader(TStream& stream, TPackedDIB& dib)
{
    std::memset(&dib.info, 0, sizeof(dib.info));
    DWORD size = 0;
    stream.ReadBuffer(&size, sizeof(size));
    dib.info.header.biSize = size;
    dib.compression = BI_RGB;
    if (size == kCoreHeaderSize)
        ReadCore(stream, dib);
    else if (size >= kInfoHeaderSize && size <= kMaxHeaderSize)
        ReadInfo(stream, dib, size);
    else
        RaiseInvalidImage();
    CheckSizes(stream, dib);
}

void ReadBitfieldPixels(TStream& stream, const TPackedDIB& dib, void* bits)
{
    const BITMAPINFOHEADER& header = dib.info.header;
    const int width = header.biWidth;
    const int height = header.biHeight < 0 ? -header.biHeight : header.biHeight;
    const int bytesPerPixel = dib.sourceDepth / 8;
    std::vector<BYTE> row(static_cast<size_t>(DibRowBytes(width, dib.sourceDepth)));
    const TChannel red(dib.masks[0]), green(dib.masks[1]), blue(dib.masks[2]);
    auto* target = static_cast<RGBQUAD*>(bits);
    // Same row order as the section, which was made with the same height sign.
    for (int y = 0; y < height; ++y) {
        stream.ReadBuffer(row.data(), static_cast<long>(row.size()));
        for (int x = 0; x < width; ++x) {
            DWORD pixel = 0;
            std::memcpy(&pixel, row.data() + x * bytesPerPixel, bytesPerPixel);
            *target++ = RGBQUAD{blue.Value(pixel, dib.masks[2]), green.Value(pixel, dib.masks[1]),
                                red.Value(pixel, dib.masks[0]), 0};
        }
    }
}
