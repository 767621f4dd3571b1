#pragma once
// The image pack of one source picture cut into CountCol x CountRow equal cells, numbered row
// by row from 0. The picture comes from a resource through the pack's own loader, loaded at the
// end of the owning form's loading.
#include "imagepack/UImagePack.h"
#include "imagepack/UPictureEX.h"

#include <memory>

class TMatrixImagePack : public TImagePack {
public:
    explicit TMatrixImagePack(TComponent* owner);
    ~TMatrixImagePack() override;
    ZA2_CLASS_NAME(TMatrixImagePack)

    int CountCol() const { return FCountCol; }
    void SetCountCol(int value);
    int CountRow() const { return FCountRow; }
    void SetCountRow(int value);
    TPictureEx& Image() { return *FImage; }
    void SetImage(TPicture& picture);
    TResourceImageLoader& ImageLoader() { return *FImageLoader; }
    void SetImageLoader(TResourceImageLoader& loader);

    int GetCount() override;
    RECT GetImageRect(int index) override;
    void StretchDraw(TCanvas& canvas, const RECT& rect, int index) override;
    void GetImage(TPicture& picture, int index) override;
    bool IsInvalidIndex(int index) override;

protected:
    void Loaded() override;

private:
    void ImageChanged(TObject* sender);

    int FCountCol = 1;
    int FCountRow = 1;
    std::unique_ptr<TPictureEx> FImage;
    std::unique_ptr<TResourceImageLoader> FImageLoader;
};

// Lets layouts declare TMatrixImagePack components (ImageLoader.ResFile / ResType / ResName /
// AutoLoad, CountCol, CountRow). Safe to call more than once.
void RegisterMatrixImagePackKind();
