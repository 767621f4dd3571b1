#include "framework/graphics/BmpFile.h"

#include "framework/core/Exception.h"
#include "framework/core/FrameworkStrings.h"
#include "framework/core/ImageSize.h"
#include "framework/core/Stream.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr WORD kBmpSignature = 0x4D42;   // "BM"
constexpr DWORD kCoreHeaderSize = sizeof(BITMAPCOREHEADER);
constexpr DWORD kInfoHeaderSize = sizeof(BITMAPINFOHEADER);
// Version 4 and 5 headers are 108 and 124 bytes; a header far beyond that is garbage.
constexpr DWORD kMaxHeaderSize = 1024;
constexpr long kMaskBytes = 3 * sizeof(DWORD);
constexpr int kMaxPaletteDepth = 8;
constexpr long kFileHeaderSize = sizeof(BITMAPFILEHEADER);

[[noreturn]] void RaiseInvalidImage()
{
    throw EInvalidGraphic(SInvalidImage);
}

// Reads from a stream without ever asking for more than it holds: a header that promises more
// is an invalid image, not a read past the end.
class TBoundedReader {
public:
    explicit TBoundedReader(TStream& stream)
        : stream_(stream), remaining_(std::max(0L, stream.Size() - stream.Position()))
    {
    }
    long Remaining() const { return remaining_; }
    void Read(void* buffer, long long count)
    {
        if (count < 0 || count > remaining_)
            RaiseInvalidImage();
        stream_.ReadBuffer(buffer, static_cast<long>(count));
        remaining_ -= static_cast<long>(count);
    }
    void Skip(long long count)
    {
        if (count < 0 || count > remaining_)
            RaiseInvalidImage();
        stream_.Seek(static_cast<long>(count), SeekOrigin::Current);
        remaining_ -= static_cast<long>(count);
    }

private:
    TStream& stream_;
    long remaining_;
};

bool ValidDepth(int depth)
{
    return depth == 1 || depth == 4 || depth == 8 || depth == 16 || depth == 24 || depth == 32;
}

bool ValidCompression(DWORD compression, int depth)
{
    switch (compression) {
    case BI_RGB: return true;
    case BI_RLE8: return depth == 8;
    case BI_RLE4: return depth == 4;
    case BI_BITFIELDS: return depth == 16 || depth == 32;
    default: return false;
    }
}

DWORD* Masks(TDibInfo& info)
{
    return reinterpret_cast<DWORD*>(info.colors);
}

// The info header in 40-byte form; bitfield masks go where BITMAPINFO keeps them. Returns
// whether the file has a core header (3-byte colour entries).
bool ReadInfoHeader(TBoundedReader& reader, TDibInfo& info)
{
    DWORD size = 0;
    reader.Read(&size, sizeof(size));
    BITMAPINFOHEADER& header = info.header;
    bool core = size == kCoreHeaderSize;
    if (core) {
        BITMAPCOREHEADER coreHeader{};
        reader.Read(reinterpret_cast<BYTE*>(&coreHeader) + sizeof(size), size - sizeof(size));
        header.biWidth = coreHeader.bcWidth;
        header.biHeight = coreHeader.bcHeight;
        header.biPlanes = coreHeader.bcPlanes;
        header.biBitCount = coreHeader.bcBitCount;
        header.biCompression = BI_RGB;
    } else if (size >= kInfoHeaderSize && size <= kMaxHeaderSize) {
        reader.Read(reinterpret_cast<BYTE*>(&header) + sizeof(size), kInfoHeaderSize - sizeof(size));
        std::vector<BYTE> extension(size - kInfoHeaderSize);
        reader.Read(extension.data(), static_cast<long long>(extension.size()));
        // Later header versions carry the bitfield masks inside the header.
        if (header.biCompression == BI_BITFIELDS && extension.size() >= kMaskBytes)
            std::memcpy(Masks(info), extension.data(), kMaskBytes);
        else if (header.biCompression == BI_BITFIELDS)
            reader.Read(Masks(info), kMaskBytes);
        // A channel without bits is no format GDI can make a section of.
        const DWORD* masks = Masks(info);
        if (header.biCompression == BI_BITFIELDS && (!masks[0] || !masks[1] || !masks[2]))
            RaiseInvalidImage();
    } else {
        RaiseInvalidImage();
    }
    header.biSize = kInfoHeaderSize;
    if (header.biPlanes != 1 || !ValidDepth(header.biBitCount) ||
        !ValidCompression(header.biCompression, header.biBitCount) || header.biWidth < 0)
        RaiseInvalidImage();
    bool rle = header.biCompression == BI_RLE8 || header.biCompression == BI_RLE4;
    if (rle && header.biHeight < 0)   // run-length data is always bottom-up
        RaiseInvalidImage();
    return core;
}

// Keeps the entries the depth can use; the rest of a longer table is skipped, so that the
// pixels are found right after it.
void ReadColorTable(TBoundedReader& reader, TDibInfo& info, bool core)
{
    BITMAPINFOHEADER& header = info.header;
    int depth = header.biBitCount;
    long long count = header.biClrUsed;
    if (count == 0 && depth <= kMaxPaletteDepth)
        count = 1LL << depth;
    long long entrySize = core ? sizeof(RGBTRIPLE) : sizeof(RGBQUAD);
    if (count * entrySize > reader.Remaining())
        RaiseInvalidImage();
    long long kept = depth <= kMaxPaletteDepth ? std::min(count, 1LL << depth) : 0;
    for (long long i = 0; i < kept; ++i) {
        if (core) {
            RGBTRIPLE triple{};
            reader.Read(&triple, sizeof(triple));
            info.colors[i] = RGBQUAD{triple.rgbtBlue, triple.rgbtGreen, triple.rgbtRed, 0};
        } else {
            reader.Read(&info.colors[i], sizeof(RGBQUAD));
            info.colors[i].rgbReserved = 0;
        }
    }
    reader.Skip((count - kept) * entrySize);
    header.biClrUsed = static_cast<DWORD>(kept);
}

void DecodeRunLengths(TBitmapImage& image, TDibInfo info, const std::vector<BYTE>& data)
{
    if (data.empty())
        return;
    info.header.biSizeImage = static_cast<DWORD>(data.size());
    TImageSource target(image);
    int width = info.header.biWidth;
    int height = info.header.biHeight;
    StretchDIBits(target, 0, 0, width, height, 0, 0, width, height, data.data(),
                  reinterpret_cast<const BITMAPINFO*>(&info), DIB_RGB_COLORS, SRCCOPY);
    GdiFlush();
}

std::shared_ptr<TBitmapImage> ReadPixels(TBoundedReader& reader, TDibInfo& info)
{
    BITMAPINFOHEADER& header = info.header;
    if (!ImageWithinBudget(header.biWidth, header.biHeight))
        RaiseInvalidImage();
    const TByteCount total = DibImageBytes(header.biWidth, header.biHeight, header.biBitCount);
    DWORD compression = header.biCompression;
    long long declared = header.biSizeImage;
    bool rle = compression == BI_RLE8 || compression == BI_RLE4;
    if (rle)
        header.biCompression = BI_RGB;
    header.biSizeImage = 0;
    auto image = ImageFromSection(info);
    if (rle) {
        long long count = std::min<long long>(declared ? declared : reader.Remaining(),
                                              reader.Remaining());
        std::vector<BYTE> data(static_cast<size_t>(count));
        reader.Read(data.data(), count);
        info.header.biCompression = compression;
        DecodeRunLengths(*image, info, data);
    } else {
        long long count = std::min<long long>(
            declared ? std::min<TByteCount>(declared, total) : total, reader.Remaining());
        GdiFlush();
        reader.Read(image->bits, count);
    }
    return image;
}

}  // namespace

std::shared_ptr<TBitmapImage> ReadBmp(TStream& stream)
{
    TBoundedReader reader(stream);
    if (reader.Remaining() == 0)
        return std::make_shared<TBitmapImage>();
    if (reader.Remaining() < kFileHeaderSize)
        RaiseInvalidImage();
    BITMAPFILEHEADER fileHeader{};
    reader.Read(&fileHeader, kFileHeaderSize);
    if (fileHeader.bfType != kBmpSignature)
        RaiseInvalidImage();
    TDibInfo info;
    bool core = ReadInfoHeader(reader, info);
    ReadColorTable(reader, info, core);
    if (info.header.biWidth == 0 || info.header.biHeight == 0) {
        auto image = std::make_shared<TBitmapImage>();
        image->format = FormatOfHeader(info.header, Masks(info));
        return image;
    }
    return ReadPixels(reader, info);
}

namespace {

// Header, table and pixels of a device-dependent bitmap in DIB form.
std::vector<BYTE> DeviceBitmapBits(TBitmapImage& image, TDibInfo& info)
{
    BITMAP described{};
    GetObjectA(image.handle.Get(), sizeof(described), &described);
    int depth = image.monochrome ? 1 : described.bmBitsPixel * described.bmPlanes;
    if (!ValidDepth(depth))
        depth = 24;
    BITMAPINFOHEADER& header = info.header;
    header.biSize = kInfoHeaderSize;
    header.biWidth = image.width;
    header.biHeight = image.height;
    header.biPlanes = 1;
    header.biBitCount = static_cast<WORD>(depth);
    header.biCompression = BI_RGB;
    std::vector<BYTE> bits(static_cast<size_t>(DibImageBytes(image.width, image.height, depth)));
    TMemoryDC dc;
    TSelectPalette palette(dc, image.palette.Get(), false, true);
    if (GetDIBits(dc, image.handle.Get(), 0, image.height, bits.data(),
                  reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS) == 0)
        RaiseOutOfResources();
    header.biCompression = BI_RGB;
    return bits;
}

}  // namespace

void WriteBmp(TBitmapImage& image, TStream& stream)
{
    if (image.Empty() || !image.handle)
        return;
    TDibInfo info;
    std::vector<BYTE> deviceBits;
    const void* pixels = nullptr;
    long tableBytes = 0;
    if (image.bits) {
        info.header = image.dib.dsBmih;
        if (info.header.biCompression == BI_BITFIELDS) {
            std::memcpy(Masks(info), image.dib.dsBitfields, kMaskBytes);
            tableBytes = kMaskBytes;
        } else if (info.header.biBitCount <= kMaxPaletteDepth) {
            tableBytes = ImageColorTable(image, info.colors) * sizeof(RGBQUAD);
        }
        GdiFlush();
        pixels = image.bits;
    } else {
        deviceBits = DeviceBitmapBits(image, info);
        if (info.header.biBitCount <= kMaxPaletteDepth)
            tableBytes = (1L << info.header.biBitCount) * sizeof(RGBQUAD);
        pixels = deviceBits.data();
    }
    BITMAPINFOHEADER& header = info.header;
    header.biSizeImage =
        static_cast<DWORD>(DibImageBytes(header.biWidth, header.biHeight, header.biBitCount));
    header.biClrUsed = 0;
    header.biClrImportant = 0;

    BITMAPFILEHEADER fileHeader{};
    fileHeader.bfType = kBmpSignature;
    fileHeader.bfOffBits = kFileHeaderSize + kInfoHeaderSize + tableBytes;
    fileHeader.bfSize = fileHeader.bfOffBits + header.biSizeImage;
    stream.WriteBuffer(&fileHeader, kFileHeaderSize);
    stream.WriteBuffer(&header, kInfoHeaderSize);
    stream.WriteBuffer(info.colors, tableBytes);
    stream.WriteBuffer(pixels, static_cast<long>(header.biSizeImage));
}
