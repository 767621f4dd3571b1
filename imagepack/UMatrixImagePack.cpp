#include "imagepack/UMatrixImagePack.h"

#include "dib/UColorUtils.h"
#include "framework/Bitmap.h"
#include "framework/Canvas.h"
#include "framework/Layout.h"
#include "framework/Palette.h"

TMatrixImagePack::TMatrixImagePack(TComponent* owner)
    : TImagePack(owner),
      FImage(std::make_unique<TPictureEx>()),
      FImageLoader(std::make_unique<TResourceImageLoader>(*FImage))
{
    FImage->OnChange = [this](TObject* sender) { ImageChanged(sender); };
}

TMatrixImagePack::~TMatrixImagePack()
{
    FImageLoader.reset();
    FImage.reset();
}

void TMatrixImagePack::SetCountCol(int value)
{
    if (value == FCountCol)
        return;
    FCountCol = value;
    Change();
}

void TMatrixImagePack::SetCountRow(int value)
{
    if (value == FCountRow)
        return;
    FCountRow = value;
    Change();
}

void TMatrixImagePack::SetImage(TPicture& picture)
{
    FImage->Assign(&picture);
}

void TMatrixImagePack::SetImageLoader(TResourceImageLoader& loader)
{
    FImageLoader->Assign(&loader);
}

void TMatrixImagePack::ImageChanged(TObject*)
{
    Change();
}

void TMatrixImagePack::Loaded()
{
    TImagePack::Loaded();
    if (FImageLoader->AutoLoad() || Designing())
        FImageLoader->Load();
    FImageLoader->SetReady(true);
}

int TMatrixImagePack::GetCount()
{
    return FCountCol * FCountRow;
}

bool TMatrixImagePack::IsInvalidIndex(int index)
{
    if (TImagePack::IsInvalidIndex(index))
        return true;
    TGraphic* source = FImage->Graphic();
    return !source || source->Empty();
}

RECT TMatrixImagePack::GetImageRect(int index)
{
    RECT cell{0, 0, 0, 0};
    if (IsInvalidIndex(index))
        return cell;
    const int col = index % FCountCol;
    const int row = index / FCountCol;
    if (row >= FCountRow)
        return cell;
    const int width = FImage->Graphic()->Width();
    const int height = FImage->Graphic()->Height();
    cell.left = MulDiv(col, width, FCountCol);
    cell.top = MulDiv(row, height, FCountRow);
    cell.right = MulDiv(col + 1, width, FCountCol);
    cell.bottom = MulDiv(row + 1, height, FCountRow);
    return cell;
}

void TMatrixImagePack::GetImage(TPicture& picture, int index)
{
    picture.SetGraphic(nullptr);
    const RECT cell = GetImageRect(index);
    if (RectWidth(cell) <= 0 || RectHeight(cell) <= 0)
        return;
    TGraphic* source = FImage->Graphic();
    if (FCountCol == 1 && FCountRow == 1) {
        picture.SetGraphic(source);  // a copy of the source's own class
        return;
    }
    auto bitmap = std::make_unique<TBitmap>();
    if (IsPaletteDevice()) {
        bitmap->SetPixelFormat(TPixelFormat::Bit8);
        if (HPALETTE palette = source->Palette())
            bitmap->SetPalette(CopyPalette(palette));
    }
    bitmap->SetWidth(RectWidth(cell));
    bitmap->SetHeight(RectHeight(cell));
    bitmap->Canvas().Draw(-cell.left, -cell.top, source);
    picture.TakeGraphic(std::move(bitmap));
}

void TMatrixImagePack::StretchDraw(TCanvas& canvas, const RECT& rect, int index)
{
    const RECT cell = GetImageRect(index);
    auto* bitmap = dynamic_cast<TBitmap*>(FImage->Graphic());
    if (!IsEmptyRect(cell) && bitmap) {
        DrawBitmapPart(canvas, rect, *bitmap, cell);
        return;
    }
    TImagePack::StretchDraw(canvas, rect, index);
}

void RegisterMatrixImagePackKind()
{
    RegisterKind<TMatrixImagePack>("TMatrixImagePack", "TComponent")
        .Text("ImageLoader.ResFile",
              [](TMatrixImagePack& p, const std::string& v) { p.ImageLoader().SetResFile(v); })
        .Text("ImageLoader.ResType",
              [](TMatrixImagePack& p, const std::string& v) { p.ImageLoader().SetResType(v); })
        .Text("ImageLoader.ResName",
              [](TMatrixImagePack& p, const std::string& v) { p.ImageLoader().SetResName(v); })
        .Boolean("ImageLoader.AutoLoad",
                 [](TMatrixImagePack& p, bool v) { p.ImageLoader().SetAutoLoad(v); })
        .Integer("CountCol", &TMatrixImagePack::SetCountCol)
        .Integer("CountRow", &TMatrixImagePack::SetCountRow);
}
