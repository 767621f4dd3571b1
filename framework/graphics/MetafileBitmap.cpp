#include "framework/graphics/MetafileBitmap.h"

#include "framework/graphics/MetafileLimits.h"

namespace {

constexpr WORD kMaxPalettedBits = 8;
constexpr DWORD kMaskBytes = 3 * sizeof(DWORD);
constexpr DWORD kPaletteIndexBytes = sizeof(WORD);

bool KnownFormat(const BITMAPINFOHEADER& header)
{
    const WORD bits = header.biBitCount;
    switch (header.biCompression) {
    case BI_RGB:
        return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
    case BI_RLE8:
        return bits == 8;
    case BI_RLE4:
        return bits == 4;
    case BI_BITFIELDS:
        return bits == 16 || bits == 32;
    default:   // JPEG and PNG pass-through is for printers
        return false;
    }
}

// Bytes of the header, the masks and the colour table; kSizeOverflow when they make no sense.
TByteCount InfoBytes(const BITMAPINFOHEADER& header, DWORD usage)
{
    if (usage != DIB_RGB_COLORS && usage != DIB_PAL_COLORS)
        return kSizeOverflow;
    const bool paletted = header.biBitCount <= kMaxPalettedBits;
    const TByteCount full = paletted ? (1ull << header.biBitCount) : 0;
    if (header.biClrUsed > (paletted ? full : kMaxPaletteEntries))
        return kSizeOverflow;
    if (usage == DIB_PAL_COLORS && !paletted)
        return kSizeOverflow;
    const TByteCount entries = header.biClrUsed ? header.biClrUsed : full;
    const TByteCount entryBytes = usage == DIB_PAL_COLORS ? kPaletteIndexBytes : sizeof(RGBQUAD);
    const bool masks = header.biCompression == BI_BITFIELDS && header.biSize == sizeof(header);
    return header.biSize + (masks ? kMaskBytes : 0) + entries * entryBytes;
}

}  // namespace

TByteCount RecordBitmapBytes(const TRecordBitmap& bitmap)
{
    if (!bitmap.info.Holds(0, sizeof(BITMAPINFOHEADER)))
        return kSizeOverflow;
    const auto header = bitmap.info.Get<BITMAPINFOHEADER>(0);
    if (header.biSize < sizeof(header) || header.biPlanes != 1 || !KnownFormat(header) ||
        header.biWidth <= 0 || header.biHeight == 0 ||
        !ImageWithinBudget(header.biWidth, header.biHeight))
        return kSizeOverflow;
    if (InfoBytes(header, bitmap.usage) > bitmap.info.Size())
        return kSizeOverflow;
    const bool runLengths = header.biCompression == BI_RLE8 || header.biCompression == BI_RLE4;
    // Run lengths are read up to biSizeImage; rows are read whole.
    const TByteCount needed = runLengths ? header.biSizeImage
                                         : DibImageBytes(header.biWidth, header.biHeight,
                                                         header.biBitCount);
    if ((runLengths && (header.biHeight < 0 || needed == 0)) || needed > bitmap.bits.Size())
        return kSizeOverflow;
    return DibImageBytes(header.biWidth, header.biHeight, kBudgetBitsPerPixel);
}

size_t PackedBitmapInfoSize(const TRecordView& data, DWORD usage)
{
    if (!data.Holds(0, sizeof(BITMAPINFOHEADER)))
        return 0;
    const TByteCount bytes = InfoBytes(data.Get<BITMAPINFOHEADER>(0), usage);
    return data.Holds(0, bytes) ? static_cast<size_t>(bytes) : 0;
}
