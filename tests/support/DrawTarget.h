#pragma once
// A 24-bit DIB section in a memory DC with a canvas lent to it: drawing targets whose pixels
// tests read back exactly with GetPixel, whatever the screen's depth.
#include "framework/graphics/Canvas.h"
#include "framework/win32/GdiHandle.h"

#include <windows.h>

#include <optional>

// A bottom-up 24-bit DIB section; bits, when given, receives its pixel memory.
inline HBITMAP NewSection24(int width, int height, void** bits = nullptr)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* memory = nullptr;
    HBITMAP section = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &memory, nullptr, 0);
    if (bits)
        *bits = memory;
    return section;
}

class TDrawTarget {
public:
    TDrawTarget(int width, int height, COLORREF background)
        : section_(NewSection24(width, height))
    {
        select_.emplace(dc_, section_.Get());
        TOwnedBrush brush(CreateSolidBrush(background));
        RECT all{0, 0, width, height};
        FillRect(dc_, &all, brush.Get());
        canvas_.SetHandle(dc_);
    }
    ~TDrawTarget() { canvas_.SetHandle(nullptr); }

    TCanvas& Canvas() { return canvas_; }
    HDC DC() const { return dc_; }
    COLORREF Pixel(int x, int y) const { return GetPixel(dc_, x, y); }

private:
    TMemoryDC dc_;
    TOwnedBitmap section_;
    std::optional<TSelectObject> select_;
    TCanvas canvas_;
};
