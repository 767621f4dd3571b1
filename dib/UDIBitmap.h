#pragma once
// A graphic whose pixels live in a GDI DIB section: read and written in the BMP layout, put on
// and taken from the clipboard as CF_DIB, drawn with the palette of its colour table, and
// converted to and from framework bitmaps.
//
// Width and Height choose the part of the DIB that is shown (SourceRect); they never resize
// the DIB itself. The graphic owns its section, its palette and its canvas.
//
// Accepted packed DIBs: the headers and formats the bitmap loader reads (see UPackedDIB.h);
// the section always holds uncompressed rows. Anything else is an invalid image
// (EInvalidGraphic "ﾋﾞｯﾄﾏｯﾌﾟｲﾒｰｼﾞが不正です").
#include "dib/UCanvas.h"
#include "dib/UDIBInfo.h"
#include "framework/graphics/Graphic.h"
#include "framework/win32/GdiHandle.h"

#include <windows.h>

#include <memory>

class TDIBitmap;
class TStream;

// The memory-DC canvas of a TDIBitmap: its DC has the owner's section selected. It has no
// reference device of its own, so fonts are measured against the screen.
class TDIBCanvas : public TMemoryCanvas {
public:
    explicit TDIBCanvas(TDIBitmap& owner) : owner_(owner) {}
    ZA2_CLASS_NAME(TDIBCanvas)

protected:
    HBITMAP GetBitmapHandle() override;

private:
    TDIBitmap& owner_;
};

class TDIBitmap : public TGraphic {
public:
    TDIBitmap();
    ~TDIBitmap() override;
    ZA2_GRAPHIC_CLASS(TDIBitmap)

    // How new graphics draw: from the bits (StretchDIBits) or through the canvas (StretchBlt).
    // InitializeDrawRoute sets it from the platform; the program entry calls it once at start.
    static bool DefaultDrawFromBits;
    static void InitializeDrawRoute();

    // From a framework bitmap (through its BMP form); anything else is asked to assign itself.
    void Assign(TPersistent* source) override;

    int Width() override;
    int Height() override;
    // Show only the first width columns / height rows; the DIB keeps its size.
    void SetWidth(int width) override;
    void SetHeight(int height) override;
    bool Empty() override;

    // Derived from the colour table on first use; 0 for images without one.
    HPALETTE Palette() override;
    void SetPalette(TOwnedPalette palette) override;

    // A BMP file at the stream's position (bfSize and bfOffBits are not consulted).
    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream& stream) override;
    // The BMP file followed by SourceRect; also accepts the framework bitmap's stored form.
    void ReadData(TStream& stream) override;
    void WriteData(TStream& stream) override;
    void LoadFromClipboardFormat(UINT format, HANDLE data, HPALETTE palette) override;
    // Format CF_DIB; data is a new global block (the receiver's), or 0 for an empty graphic.
    void SaveToClipboardFormat(UINT& format, HANDLE& data, HPALETTE& palette) override;

    // The section, made from the stored header when there is none yet.
    HBITMAP GetHandle();
    TDIBCanvas& GetCanvas();
    // Lets the canvas DC, the palette and the section go, in that order.
    void FreeHandles();
    // A new section from info (which may be a core header); returns the image size in bytes.
    int CreateSection(const BITMAPINFO* info, void*& bits);

    // The sizes of UDIBInfo.h, as this graphic's.
    static int ColorCount(const BITMAPINFOHEADER& header) { return DibColorCount(header); }
    static int InfoSize(const BITMAPINFOHEADER& header) { return DibInfoSize(header); }
    // The section's colour table (ColorCount entries), or null when there is none.
    std::unique_ptr<RGBQUAD[]> GetColorTable(int& count);

    // Packed DIB: header, colour table and pixels back to back.
    void ReadDIB(TStream& stream);
    void WriteDIB(TStream& stream);

    const BITMAPINFOHEADER& Header() const { return info_->header; }
    const RECT& SourceRect() const { return sourceRect_; }
    bool IsBottomUp() const { return info_->header.biHeight >= 0; }
    bool DrawFromBits() const { return drawFromBits_; }
    void SetDrawFromBits(bool fromBits) { drawFromBits_ = fromBits; }

protected:
    void AssignTo(TPersistent& dest) override;
    void Draw(TCanvas& canvas, const RECT& rect) override;
    // One stretch of source into dest; false when the device refused it (Draw then draws
    // one destination row at a time).
    virtual bool DrawPart(TCanvas& canvas, const RECT& dest, const RECT& source,
                          const void* bits);

private:
    // Lets the canvas's DC go: an idle graphic holds none.
    void ReleaseCanvasDC();
    void DrawByRows(TCanvas& canvas, const RECT& rect, const void* bits);
    int ImageHeight() const;
    void* SectionBits();
    void ReadPixels(TStream& stream, BITMAPINFO* file, DWORD compression, void* bits,
                    int imageSize);

    TOwnedBitmap handle_;
    TOwnedPalette palette_;
    RECT sourceRect_{};
    std::unique_ptr<TDIBCanvas> canvas_;
    std::unique_ptr<TDIBInfo> info_;
    bool drawFromBits_;
};
