#pragma once
// The image pack of one source picture cut into CountCol x CountRow equal cells, numbered row
// by row from 0. The picture comes from a resource through the pack's own loader, loaded at the
// end of the owning form's loading.
#include "imagepack/UImagePack.h"
#include "imagepack/UPictureEX.h"

#include <memory>

class TBitmap;

class TMatrixImagePack : public TImagePack {
public:
    explicit TMatrixImagePack(TComponent* owner);
    ~TMatrixImagePack() override;
    ZA2_CLASS_NAME(TMatrixImagePack)

    // Setters act (one Change) only on a real change; no range check.
    int CountCol() const { return FCountCol; }
    void SetCountCol(int value);
    int CountRow() const { return FCountRow; }
    void SetCountRow(int value);
    TPictureEx& Image() { return *FImage; }
    // Takes a copy of picture's graphic.
    void SetImage(TPicture& picture);
    TResourceImageLoader& ImageLoader() { return *FImageLoader; }
    // Takes loader's names and reloads when ready.
    void SetImageLoader(TResourceImageLoader& loader);

    // CountCol x CountRow.
    int GetCount() override;
    // The cell's rectangle in the source picture; (0, 0, 0, 0) for an invalid index.
    RECT GetImageRect(int index) override;
    // A bitmap source is drawn straight from the cell; other graphics through GetImage.
    void StretchDraw(TCanvas& canvas, const RECT& rect, int index) override;
    // The whole source graphic for a 1 x 1 grid, else a bitmap of the cell; invalid indexes
    // leave the picture empty.
    void GetImage(TPicture& picture, int index) override;
    // Also true while the source picture is empty.
    bool IsInvalidIndex(int index) override;

protected:
    // The end of the owner's loading: the first load (when AutoLoad), then the loader is ready.
    void Loaded() override;

private:
    void ImageChanged(TObject* sender);
    static std::unique_ptr<TBitmap> CutCell(TGraphic& source, const RECT& cell);

    int FCountCol = 1;
    int FCountRow = 1;
    std::unique_ptr<TPictureEx> FImage;
    std::unique_ptr<TResourceImageLoader> FImageLoader;
};

// Lets layouts declare TMatrixImagePack components (ImageLoader.AutoLoad / ResFile / ResType /
// ResName, CountCol, CountRow, OnChange). Safe to call more than once.
void RegisterMatrixImagePackKind();
