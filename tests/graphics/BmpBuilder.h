#pragma once
// Builds BMP files byte by byte, so that tests control every header field.
#include "framework/Stream.h"

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

struct TBmpSpec {
    int width = 2;
    int height = 2;          // negative: top-down
    int depth = 8;
    DWORD compression = BI_RGB;
    DWORD clrUsed = 0;
    DWORD sizeImage = 0;     // stored as given
    bool coreHeader = false;
    std::vector<RGBQUAD> colors;   // written as given (3 bytes each after a core header)
    std::vector<BYTE> pixels;      // written as given, right after the table
};

inline int BmpRowBytes(int width, int depth)
{
    return (width * depth + 31) / 32 * 4;
}

inline std::string BuildBmp(const TBmpSpec& spec)
{
    std::string body;
    auto put = [&body](const void* data, size_t size) {
        body.append(static_cast<const char*>(data), size);
    };
    if (spec.coreHeader) {
        BITMAPCOREHEADER core{sizeof(BITMAPCOREHEADER), static_cast<WORD>(spec.width),
                              static_cast<WORD>(spec.height), 1, static_cast<WORD>(spec.depth)};
        put(&core, sizeof(core));
        for (const RGBQUAD& c : spec.colors) {
            RGBTRIPLE t{c.rgbBlue, c.rgbGreen, c.rgbRed};
            put(&t, sizeof(t));
        }
    } else {
        BITMAPINFOHEADER info{};
        info.biSize = sizeof(info);
        info.biWidth = spec.width;
        info.biHeight = spec.height;
        info.biPlanes = 1;
        info.biBitCount = static_cast<WORD>(spec.depth);
        info.biCompression = spec.compression;
        info.biSizeImage = spec.sizeImage;
        info.biClrUsed = spec.clrUsed;
        put(&info, sizeof(info));
        for (const RGBQUAD& c : spec.colors)
            put(&c, sizeof(c));
    }
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = static_cast<DWORD>(sizeof(file) + body.size());
    file.bfSize = static_cast<DWORD>(file.bfOffBits + spec.pixels.size());
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof(file));
    bytes += body;
    bytes.append(reinterpret_cast<const char*>(spec.pixels.data()), spec.pixels.size());
    return bytes;
}

inline void FillStream(TMemoryStream& stream, const std::string& bytes)
{
    stream.Clear();
    stream.WriteBuffer(bytes.data(), static_cast<long>(bytes.size()));
    stream.SetPosition(0);
}

// Grey-free test colours, easy to tell apart in GetPixel results.
constexpr RGBQUAD kQuadRed{0, 0, 255, 0};
constexpr RGBQUAD kQuadGreen{0, 255, 0, 0};
constexpr RGBQUAD kQuadBlue{255, 0, 0, 0};
constexpr RGBQUAD kQuadWhite{255, 255, 255, 0};
constexpr RGBQUAD kQuadBlack{0, 0, 0, 0};
