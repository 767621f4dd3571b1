#pragma once
// Bitmaps: a graphic whose image is a GDI bitmap, either a DIB section of a given pixel format
// or a device-dependent bitmap. Assigned bitmaps share one image (reference counted); the first
// change through either of them (canvas drawing, size, format, palette, ScanLine) gives that
// bitmap a private copy first.
//
// A new bitmap is empty, device-dependent (PixelFormat Device). A bitmap loaded from a stream is
// a DIB section of the file's bit depth, with the file's colour table as its palette (1, 4 and
// 8 bits per pixel). The GDI handle exists as soon as the image has a width and a height.
//
// Handles handed out by Handle, MaskHandle and Palette stay the bitmap's; callers that keep one
// beyond the next change take a copy. SetHandle takes ownership of its handle.
#include "framework/graphics/Graphic.h"
#include "framework/graphics/PixelFormat.h"
#include "framework/win32/GdiHandle.h"

#include <windows.h>

#include <memory>

class TCanvas;
struct TBitmapImage;

enum class TBitmapHandleType { DIB, DDB };
enum class TTransparentMode { Auto, Fixed };

class TBitmap : public TGraphic {
public:
    TBitmap();
    ~TBitmap() override;
    ZA2_GRAPHIC_CLASS(TBitmap)

    // From a bitmap: shares its image and takes its transparency settings. From null: empty.
    void Assign(TPersistent* source) override;

    int Width() override;
    int Height() override;
    // Resizing keeps the pixels that still fit; new areas are white.
    void SetWidth(int width) override;
    void SetHeight(int height) override;
    void SetSize(int width, int height);
    bool Empty() override;

    // The palette of the image: the colour table of a 1-, 4- or 8-bit DIB, or one given with
    // SetPalette. SetPalette re-renders a palette DIB against the new colours, so every pixel
    // keeps (the nearest available form of) its colour.
    HPALETTE Palette() override;
    void SetPalette(TOwnedPalette palette) override;
    // Drawing ignores the palette (no selection into the target DC).
    bool IgnorePalette() const { return ignorePalette_; }
    void SetIgnorePalette(bool ignore);

    // The GDI bitmap, made at once when the image has a size (0 for an empty image).
    HBITMAP Handle();
    // Takes ownership of handle (DIB section or DDB); 0 empties the bitmap.
    void SetHandle(HBITMAP handle);
    // Hands the bitmap handle over to the caller; the bitmap becomes empty.
    HBITMAP ReleaseHandle();
    bool HandleAllocated() const;

    // Monochrome mask of the transparent colour: white (1) where the image has the
    // transparent colour, black (0) elsewhere. Kept until the image or the colour changes.
    HBITMAP MaskHandle();

    TBitmapHandleType HandleType();
    void SetHandleType(TBitmapHandleType type);
    TPixelFormat PixelFormat();
    void SetPixelFormat(TPixelFormat format);
    // 1 bit per pixel (device-dependent or DIB).
    bool Monochrome();
    void SetMonochrome(bool monochrome);

    // Auto: the colour of the bottom-left pixel; Fixed: the colour set.
    COLORREF TransparentColor();
    void SetTransparentColor(COLORREF color);   // also switches to Fixed
    TTransparentMode TransparentMode() const { return transparentMode_; }
    void SetTransparentMode(TTransparentMode mode);
    void SetTransparent(bool transparent) override;

    // The canvas over the bitmap; drawing on it changes the bitmap (and reports the change).
    TCanvas& Canvas();

    // Start of row (0 = top) of a DIB's pixels. Raises EInvalidOperation for a row outside the
    // image or a device-dependent bitmap. Writing through it reports no change.
    void* ScanLine(int row);
    // Bytes of one row of the DIB (rows are padded to 4 bytes).
    int BytesPerScanLine();

    // Lets the canvas's DC go (the canvas makes a new one on next use).
    void Dormant();

    // Plain BMP files (what is accepted: framework/graphics/BmpFile.h). An empty stream empties the bitmap.
    void LoadFromStream(TStream& stream) override;
    // A plain, uncompressed BMP file; nothing for an empty bitmap.
    void SaveToStream(TStream& stream) override;
    // Stored form: a 32-bit little-endian length N followed by N bytes of BMP file.
    void ReadData(TStream& stream) override;
    void WriteData(TStream& stream) override;

    // CF_BITMAP (a bitmap handle, copied) and CF_DIB (a packed DIB in global memory).
    void LoadFromClipboardFormat(UINT format, HANDLE data, HPALETTE palette) override;
    // Gives CF_BITMAP with a new bitmap handle and a new palette handle (or 0); both become
    // the receiver's.
    void SaveToClipboardFormat(UINT& format, HANDLE& data, HPALETTE& palette) override;

    // A bitmap resource of a module (RT_BITMAP).
    void LoadFromResourceName(HINSTANCE instance, const char* name);

protected:
    void Draw(TCanvas& canvas, const RECT& rect) override;
    void Changed(TObject* sender) override;

private:
    class TBitmapCanvas;
    friend class TBitmapCanvas;

    // Gives this bitmap a private image before it is changed.
    void Unshare();
    void CanvasChanging();
    void CanvasChanged();
    // Puts a new image in place (shared images are left to their other holders); the canvas
    // keeps its DC and selects the new handle.
    void ReplaceImage(std::shared_ptr<TBitmapImage> image);
    // A new image of that size and format with the pixels that fit copied over.
    void Rebuild(int width, int height, TPixelFormat format, bool monochrome,
                 TOwnedPalette palette);
    void FreeCanvasDC();
    void DrawOpaque(HDC target, const RECT& rect, DWORD rop, HDC source);
    void DrawTransparent(HDC target, const RECT& rect, HDC source);

    std::shared_ptr<TBitmapImage> image_;
    std::unique_ptr<TBitmapCanvas> canvas_;
    bool ignorePalette_ = false;
    TTransparentMode transparentMode_ = TTransparentMode::Auto;
    COLORREF transparentColor_ = RGB(0, 0, 0);
};
