#pragma once
// BMP files made byte by byte for the bitmap tests: any header value can be set to what a
// damaged or unusual file holds.
#include <windows.h>

#include <string>
#include <vector>

struct TestBmp {
    BITMAPINFOHEADER info{};
    // Written as a BITMAPCOREHEADER (size, width, height, planes and bits of info) followed by
    // 3-byte colour entries, as old files are.
    bool coreHeader = false;
    std::vector<RGBQUAD> colors;   // written as they are (count independent of biClrUsed)
    std::vector<BYTE> pixels;      // pixel data as stored (rows or run lengths)
    std::string gap;               // bytes between the colour table and the pixels

    // An uncompressed image: header filled, biSizeImage exact, biClrUsed 0, full grey colour
    // table for 1, 4 and 8 bits, pixels zero. A negative height makes it top-down.
    TestBmp(int width, int height, int bits);
    // The header alone, biSizeImage 0: no colour table and no pixels until the test gives them,
    // so that the header may claim any size.
    static TestBmp HeaderOnly(int width, int height, int bits);

    int RowBytes() const;
    int Height() const { return info.biHeight < 0 ? -info.biHeight : info.biHeight; }
    // Offset of row y (0 = top) in pixels.
    size_t RowOffset(int y) const;
    void SetIndex(int x, int y, int index);           // 4 and 8 bits
    void SetColor(int x, int y, COLORREF color);      // 24 and 32 bits
    void SetValue(int x, int y, DWORD value);         // 16 and 32 bits: the stored pixel
    // BI_BITFIELDS, the three masks taking the place of the colour table. With an info header
    // longer than 40 bytes (biSize 108 or 124) they are written inside the header instead.
    void SetMasks(DWORD red, DWORD green, DWORD blue);
    // Run-length data replacing the pixels (biCompression, biSizeImage set); rows top first.
    void EncodeRle8(const std::vector<std::vector<BYTE>>& rows);
    void EncodeRle4(const std::vector<std::vector<BYTE>>& rows);

    std::string File() const;     // 14-byte file header (bfOffBits after the gap) and the DIB
    std::string Packed() const;   // the DIB alone: header, table, pixels (no gap)

private:
    TestBmp() = default;
    void SetHeader(int width, int height, int bits);
    void EncodeRle(const std::vector<std::vector<BYTE>>& rows, DWORD compression);
    std::string Header() const;
    std::string ColorTable() const;
    std::string PixelBytes() const;
};

// Colour table entries that are easy to tell apart in GetPixel results.
constexpr RGBQUAD kQuadRed{0, 0, 255, 0};
constexpr RGBQUAD kQuadGreen{0, 255, 0, 0};
constexpr RGBQUAD kQuadBlue{255, 0, 0, 0};
constexpr RGBQUAD kQuadWhite{255, 255, 255, 0};
constexpr RGBQUAD kQuadBlack{0, 0, 0, 0};

// "ZLIBCompress" 0x1A, the size, and the zlib stream of bytes.
std::string CompressedContainer(const std::string& bytes);
