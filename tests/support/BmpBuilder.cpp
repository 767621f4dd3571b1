#include "support/BmpBuilder.h"

#include "framework/Stream.h"

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

template <class T>
void Append(std::string& out, const T& value)
{
    out.append(reinterpret_cast<const char*>(&value), sizeof(value));
}

}  // namespace

TestBmp::TestBmp(int width, int height, int bits)
{
    info.biSize = sizeof(BITMAPINFOHEADER);
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = static_cast<WORD>(bits);
    info.biCompression = BI_RGB;
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

void TestBmp::EncodeRle8(const std::vector<std::vector<BYTE>>& rows)
{
    pixels.clear();
    for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
        size_t x = 0;
        while (x < row->size()) {
            size_t run = 1;
            while (x + run < row->size() && run < kMaxRun && (*row)[x + run] == (*row)[x])
                ++run;
            pixels.push_back(static_cast<BYTE>(run));
            pixels.push_back((*row)[x]);
            x += run;
        }
        pixels.push_back(kEscape);
        pixels.push_back(kEndOfLine);
    }
    pixels.push_back(kEscape);
    pixels.push_back(kEndOfBitmap);
    info.biCompression = BI_RLE8;
    info.biSizeImage = static_cast<DWORD>(pixels.size());
}

void TestBmp::EncodeRle4(const std::vector<std::vector<BYTE>>& rows)
{
    pixels.clear();
    for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
        size_t x = 0;
        while (x < row->size()) {
            size_t run = 1;
            while (x + run < row->size() && run < kMaxRun && (*row)[x + run] == (*row)[x])
                ++run;
            pixels.push_back(static_cast<BYTE>(run));
            pixels.push_back(static_cast<BYTE>(((*row)[x] << 4) | (*row)[x]));
            x += run;
        }
        pixels.push_back(kEscape);
        pixels.push_back(kEndOfLine);
    }
    pixels.push_back(kEscape);
    pixels.push_back(kEndOfBitmap);
    info.biCompression = BI_RLE4;
    info.biSizeImage = static_cast<DWORD>(pixels.size());
}

std::string TestBmp::Packed() const
{
    std::string out;
    Append(out, info);
    for (const RGBQUAD& c : colors)
        Append(out, c);
    out.append(reinterpret_cast<const char*>(pixels.data()), pixels.size());
    return out;
}

std::string TestBmp::File() const
{
    std::string dib = Packed();
    size_t table = sizeof(BITMAPINFOHEADER) + colors.size() * sizeof(RGBQUAD);
    dib.insert(table, gap);
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = static_cast<DWORD>(sizeof(file) + table + gap.size());
    file.bfSize = static_cast<DWORD>(sizeof(file) + dib.size());
    std::string out;
    Append(out, file);
    return out + dib;
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

void FillStream(TMemoryStream& stream, const std::string& bytes)
{
    stream.SetSize(0);
    if (!bytes.empty())
        stream.WriteBuffer(bytes.data(), static_cast<long>(bytes.size()));
    stream.SetPosition(0);
}

std::string StreamBytes(TMemoryStream& stream)
{
    return std::string(static_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.Size()));
}
