#include "support/BmpBuilder.h"

#include <zlib.h>

#include <cstring>
#include <stdexcept>

namespace {

constexpr char kMagic[] = "ZLIBCompress\x1A";
constexpr size_t kMagicSize = 13;
constexpr BYTE kEscape = 0;
constexpr BYTE kEndOfLine = 0;
constexpr BYTE kEndOfBitmap = 1;
constexpr int kMaxRun = 255;
constexpr int kMaskCount = 3;
constexpr WORD kBmpSignature = 0x4D42;   // "BM"

template <class T>
void Append(std::string& out, const T& value)
{
    out.append(reinterpret_cast<const char*>(&value), sizeof(value));
}

}  // namespace

TestBmp::TestBmp(int width, int height, int bits)
{
    SetHeader(width, height, bits);
    if (bits <= 8) {
        int count = 1 << bits;
        for (int i = 0; i < count; ++i) {
            BYTE level = static_cast<BYTE>(i * 255 / (count - 1));
            colors.push_back(RGBQUAD{level, level, level, 0});
        }
    }
    pixels.assign(static_cast<size_t>(RowBytes()) * Height(), 0);
    info.biSizeImage = static_cast<DWORD>(pixels.size());
}

TestBmp TestBmp::HeaderOnly(int width, int height, int bits)
{
    TestBmp bmp;
    bmp.SetHeader(width, height, bits);
    return bmp;
}

void TestBmp::SetHeader(int width, int height, int bits)
{
    info.biSize = sizeof(BITMAPINFOHEADER);
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = static_cast<WORD>(bits);
    info.biCompression = BI_RGB;
}

int TestBmp::RowBytes() const
{
    return (info.biWidth * info.biBitCount + 31) / 32 * 4;
}

size_t TestBmp::RowOffset(int y) const
{
    int stored = info.biHeight > 0 ? Height() - 1 - y : y;
    return static_cast<size_t>(stored) * RowBytes();
}

void TestBmp::SetIndex(int x, int y, int index)
{
    BYTE* row = pixels.data() + RowOffset(y);
    if (info.biBitCount == 8) {
        row[x] = static_cast<BYTE>(index);
    } else {
        BYTE& b = row[x / 2];
        b = x % 2 ? static_cast<BYTE>((b & 0xF0) | index) : static_cast<BYTE>((b & 0x0F) | (index << 4));
    }
}

void TestBmp::SetColor(int x, int y, COLORREF color)
{
    BYTE* p = pixels.data() + RowOffset(y) + static_cast<size_t>(x) * (info.biBitCount / 8);
    p[0] = GetBValue(color);
    p[1] = GetGValue(color);
    p[2] = GetRValue(color);
}

void TestBmp::SetValue(int x, int y, DWORD value)
{
    const size_t bytes = info.biBitCount / 8;
    std::memcpy(pixels.data() + RowOffset(y) + x * bytes, &value, bytes);
}

void TestBmp::SetMasks(DWORD red, DWORD green, DWORD blue)
{
    const DWORD masks[kMaskCount] = {red, green, blue};
    colors.resize(kMaskCount);
    std::memcpy(colors.data(), masks, sizeof(masks));
    info.biCompression = BI_BITFIELDS;
}

void TestBmp::EncodeRle8(const std::vector<std::vector<BYTE>>& rows)
{
    EncodeRle(rows, BI_RLE8);
}

void TestBmp::EncodeRle4(const std::vector<std::vector<BYTE>>& rows)
{
    EncodeRle(rows, BI_RLE4);
}

// Runs of equal indexes, each row ended, the bitmap ended; a 4-bit run repeats its index in
// both halves of the byte.
void TestBmp::EncodeRle(const std::vector<std::vector<BYTE>>& rows, DWORD compression)
{
    pixels.clear();
    for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
        size_t x = 0;
        while (x < row->size()) {
            size_t run = 1;
            while (x + run < row->size() && run < kMaxRun && (*row)[x + run] == (*row)[x])
                ++run;
            const BYTE index = (*row)[x];
            pixels.push_back(static_cast<BYTE>(run));
            pixels.push_back(compression == BI_RLE4 ? static_cast<BYTE>((index << 4) | index)
                                                    : index);
            x += run;
        }
        pixels.push_back(kEscape);
        pixels.push_back(kEndOfLine);
    }
    pixels.push_back(kEscape);
    pixels.push_back(kEndOfBitmap);
    info.biCompression = compression;
    info.biSizeImage = static_cast<DWORD>(pixels.size());
}

std::string TestBmp::Header() const
{
    std::string out;
    if (coreHeader) {
        const BITMAPCOREHEADER core{sizeof(BITMAPCOREHEADER), static_cast<WORD>(info.biWidth),
                                    static_cast<WORD>(info.biHeight), info.biPlanes,
                                    info.biBitCount};
        Append(out, core);
    } else {
        Append(out, info);
        // A later header version: the masks open the fields beyond the first 40 bytes.
        std::string extension(info.biSize > sizeof(info) ? info.biSize - sizeof(info) : 0, '\0');
        if (info.biCompression == BI_BITFIELDS && extension.size() >= kMaskCount * sizeof(DWORD))
            std::memcpy(&extension[0], colors.data(), kMaskCount * sizeof(DWORD));
        out += extension;
    }
    return out;
}

std::string TestBmp::ColorTable() const
{
    std::string out;
    const bool masksInHeader = info.biSize > sizeof(info) && info.biCompression == BI_BITFIELDS;
    for (size_t i = masksInHeader ? kMaskCount : 0; i < colors.size(); ++i) {
        const RGBQUAD& c = colors[i];
        if (coreHeader)
            Append(out, RGBTRIPLE{c.rgbBlue, c.rgbGreen, c.rgbRed});
        else
            Append(out, c);
    }
    return out;
}

std::string TestBmp::PixelBytes() const
{
    return std::string(reinterpret_cast<const char*>(pixels.data()), pixels.size());
}

std::string TestBmp::Packed() const
{
    return Header() + ColorTable() + PixelBytes();
}

std::string TestBmp::File() const
{
    const std::string table = Header() + ColorTable();
    BITMAPFILEHEADER file{};
    file.bfType = kBmpSignature;
    file.bfOffBits = static_cast<DWORD>(sizeof(file) + table.size() + gap.size());
    file.bfSize = static_cast<DWORD>(file.bfOffBits + pixels.size());
    std::string out;
    Append(out, file);
    return out + table + gap + PixelBytes();
}

std::string CompressedContainer(const std::string& bytes)
{
    uLongf size = compressBound(static_cast<uLong>(bytes.size()));
    std::string packed(size, '\0');
    if (compress2(reinterpret_cast<Bytef*>(&packed[0]), &size,
                  reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uLong>(bytes.size()),
                  Z_BEST_COMPRESSION) != Z_OK)
        throw std::runtime_error("compress2 failed");
    packed.resize(size);
    std::string out(kMagic, kMagicSize);
    Append(out, static_cast<LONG>(bytes.size()));
    return out + packed;
}
