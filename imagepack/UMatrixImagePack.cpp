#include "imagepack/UMatrixImagePack.h"

#include "dib/UScreenColors.h"
#include "framework/layout/Layout.h"
#include "framework/graphics/Bitmap.h"
#include "framework/graphics/Canvas.h"
#include "framework/graphics/Palette.h"

#include <climits>

namespace {

// Empty as Windows counts it: no width or no height (also inverted edges).
bool IsEmptyCell(const RECT& cell)
{
    return RectWidth(cell) <= 0 || RectHeight(cell) <= 0;
}

} // namespace

TMatrixImagePack::TMatrixImagePack(TComponent* owner)
    : TImagePack(owner),
      FImage(std::make_unique<TPictureEx>()),
      FImageLoader(std::make_unique<TResourceImageLoader>(*FImage))
{
    FImage->OnChange = [this](TObject* sender) { ImageChanged(sender); };
}

TMatrixImagePack::~TMatrixImagePack()
{
    // A picture going away must not report to listeners of a pack that is going away too.
    FImage->OnChange = nullptr;
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
    // Formed wide so that a huge grid saturates instead of overflowing.
    const long long count = static_cast<long long>(FCountCol) * FCountRow;
    if (count > INT_MAX)
        return INT_MAX;
    if (count < INT_MIN)
        return INT_MIN;
    return static_cast<int>(count);
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
    // A valid index implies a positive count, so the division below never sees a zero.
    if (IsInvalidIndex(index))
        return cell;
    const int col = index % FCountCol;
    const int row = index / FCountCol;
    if (row >= FCountRow)
        return cell;
    const int width = FImage->Width();
    const int height = FImage->Height();
    // Rounded edges are shared by neighbours: the cells tile the picture exactly.
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
    if (IsEmptyCell(cell))
        return;
    TGraphic* source = FImage->Graphic();
    if (FCountCol == 1 && FCountRow == 1) {
        picture.SetGraphic(source);   // the whole picture, in the source's own class
        return;
    }
    picture.TakeGraphic(CutCell(*source, cell));
}

// A device bitmap holding cell of source; on a palette screen an 8-bit one with the source's
// colours, so that the cell keeps them there.
std::unique_ptr<TBitmap> TMatrixImagePack::CutCell(TGraphic& source, const RECT& cell)
{
    auto bitmap = std::make_unique<TBitmap>();
    if (IsPaletteDevice()) {
        bitmap->SetPixelFormat(TPixelFormat::Bit8);
        bitmap->SetPalette(CopyPalette(source.Palette()));
    }
    bitmap->SetWidth(RectWidth(cell));
    bitmap->SetHeight(RectHeight(cell));
    bitmap->Canvas().Draw(-cell.left, -cell.top, &source);
    return bitmap;
}

void TMatrixImagePack::StretchDraw(TCanvas& canvas, const RECT& rect, int index)
{
    const RECT cell = GetImageRect(index);
    auto* bitmap = dynamic_cast<TBitmap*>(FImage->Graphic());
    if (!IsEmptyCell(cell) && bitmap) {
        // Straight from the source: no intermediate picture.
        DrawBitmapPart(canvas, rect, *bitmap, cell);
        return;
    }
    TImagePack::StretchDraw(canvas, rect, index);
}

void RegisterMatrixImagePackKind()
{
    static bool registered = false;
    if (registered)
        return;
    registered = true;
    RegisterAbstractKind<TImagePack>("TImagePack", "TComponent")
        .Event("OnChange", &TImagePack::OnChange);
    // Layouts give these in this order: the loader's names first, then the grid.
    RegisterKind<TMatrixImagePack>("TMatrixImagePack", "TImagePack")
        .Boolean("ImageLoader.AutoLoad",
                 [](TMatrixImagePack& p, bool v) { p.ImageLoader().SetAutoLoad(v); })
        .Text("ImageLoader.ResFile",
              [](TMatrixImagePack& p, const std::string& v) { p.ImageLoader().SetResFile(v); })
        .Text("ImageLoader.ResType",
              [](TMatrixImagePack& p, const std::string& v) { p.ImageLoader().SetResType(v); })
        .Text("ImageLoader.ResName",
              [](TMatrixImagePack& p, const std::string& v) { p.ImageLoader().SetResName(v); })
        .Integer("CountCol", &TMatrixImagePack::SetCountCol)
        .Integer("CountRow", &TMatrixImagePack::SetCountRow);
}
