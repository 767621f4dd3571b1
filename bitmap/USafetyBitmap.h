#pragma once
// The program's bitmap graphic: a framework bitmap with tolerant loading and its own transparent
// drawing.
//
// Loading accepts plain BMP files (a wrong image size or a shortened colour table is mended in
// a memory copy first), RLE8/RLE4 files (decoded by GDI into an 8- or 4-bit image with the
// file's palette), and compressed bitmaps (a BMP file in a payload container). Every load ends
// with black at palette entry 0 and white at the last entry, which the masked drawing needs.
// Header values that point outside the data are invalid images (EInvalidGraphic
// "ﾋﾞｯﾄﾏｯﾌﾟｲﾒｰｼﾞが不正です"); nothing outside the data is read or written.
//
// Transparent drawing combines a cached monochrome mask and a pre-masked copy of the image with
// two raster operations, on screens and printers alike; both are rebuilt only after a change.
// Off Windows NT the mask and all printer output go through device-independent bitmaps.
#include "framework/graphics/Bitmap.h"

#include <windows.h>

#include <memory>

class TCanvas;
class TDIB;
class TMemoryStream;
class TStream;

class TSafetyBitmap : public TBitmap {
public:
    TSafetyBitmap();
    ~TSafetyBitmap() override;
    ZA2_GRAPHIC_CLASS(TSafetyBitmap)

    // The base assignment; from another safety bitmap also its mask cache.
    void Assign(TPersistent* source) override;

    void LoadFromStream(TStream& stream) override;
    // Stored form: a 32-bit length N, then N bytes of BMP file or compressed bitmap. Exactly
    // 4 + N bytes are consumed when more data follows.
    void ReadData(TStream& stream) override;

    // Black to entry 0 and white to the last entry of a 4- or 8-bit image's palette.
    void AdjustPalette();

    // Whether the BMP file at the stream's position has a wrong image size or a shortened
    // colour table; colorCount is the table size the repair gives it. The position stays.
    static bool NeedsRepair(TStream& stream, DWORD& colorCount);
    // Whether the BMP file at the stream's position is RLE8 or RLE4. The position stays.
    static bool IsRLEBitmap(TStream& stream);

    // The cache, for inspection.
    bool MaskChanged() const { return maskChanged_; }
    bool ImageChanged() const { return imageChanged_; }
    int MaskBuildCount() const { return maskBuilds_; }
    TBitmap& Mask() { return *mask_; }
    TBitmap& MaskedImage() { return *maskedImage_; }

protected:
    void Draw(TCanvas& canvas, const RECT& rect) override;
    void Changed(TObject* sender) override;

private:
    void BuildMask(COLORREF color);
    void FillMaskFromBits(BYTE* mask, int rowBytes, COLORREF color);
    void FillMaskFromPixels(BYTE* mask, int rowBytes, COLORREF color);
    int MaskColorIndex(COLORREF color);
    void BuildMaskedImage();
    void ScreenDraw(TCanvas& canvas, const RECT& rect);
    void PrinterDraw(TCanvas& canvas, const RECT& rect);
    void PrinterDrawNT(TCanvas& canvas, const RECT& rect);
    void PrinterDrawDIB(TCanvas& canvas, const RECT& rect);

    void LoadFromContainer(TStream& stream, long size);
    void RepairAndLoad(TMemoryStream& file, DWORD colorCount);
    void LoadRLEBitmap(TStream& stream);
    void DecodeRunLengths(const BYTE* file, long size);

    std::unique_ptr<TBitmap> mask_;
    std::unique_ptr<TDIB> maskDIB_;
    std::unique_ptr<TBitmap> maskedImage_;
    bool maskChanged_ = false;
    bool imageChanged_ = false;
    int maskBuilds_ = 0;
};

// The "BMP" ("Bitmaps") and "CBM" ("Compressed Bitmaps") picture formats, served by
// TSafetyBitmap. The program entry registers them at start and unregisters them at the end.
void RegisterSafetyBitmapFormats();
void UnregisterSafetyBitmapFormats();

// Keeps the formats registered for its lifetime; the program entry can hold one for the run.
class TSafetyBitmapFormats {
public:
    TSafetyBitmapFormats() { RegisterSafetyBitmapFormats(); }
    ~TSafetyBitmapFormats() { UnregisterSafetyBitmapFormats(); }
    TSafetyBitmapFormats(const TSafetyBitmapFormats&) = delete;
    TSafetyBitmapFormats& operator=(const TSafetyBitmapFormats&) = delete;
};
