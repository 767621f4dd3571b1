#pragma once
// JPEG pictures: a graphic that keeps the compressed JPEG data it was loaded from and the image
// decoded from it as a 24-bit bitmap. Loading decodes at once, so bad data fails where it is
// loaded (EInvalidGraphic) and never while drawing. Saving writes the original JPEG data back
// unchanged. The size is the image's own; it cannot be changed.
#include "framework/graphics/Graphic.h"

#include <windows.h>

#include <memory>
#include <vector>

class TBitmap;

class TJPEGImage : public TGraphic {
public:
    TJPEGImage();
    ~TJPEGImage() override;
    ZA2_GRAPHIC_CLASS(TJPEGImage)

    // From a JPEG image: its data and (shared) decoded image. From null: empty.
    void Assign(TPersistent* source) override;

    int Width() override;
    int Height() override;
    void SetWidth(int width) override;     // EInvalidOperation unless unchanged
    void SetHeight(int height) override;
    bool Empty() override;

    // Reads JPEG data from the stream's position to its end; an empty rest empties the image.
    // Data that is no complete JPEG image raises EInvalidGraphic and leaves the image as it was.
    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream& stream) override;
    // Stored form: a 32-bit little-endian length N followed by N bytes of JPEG data.
    void ReadData(TStream& stream) override;
    void WriteData(TStream& stream) override;

protected:
    void Draw(TCanvas& canvas, const RECT& rect) override;
    // A bitmap takes the decoded image.
    void AssignTo(TPersistent& dest) override;

private:
    void TakeData(std::vector<BYTE> data);

    std::vector<BYTE> data_;            // the JPEG data as loaded
    std::unique_ptr<TBitmap> bitmap_;   // decoded from data_; null when empty
};
