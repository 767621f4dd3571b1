#include "imagepack/UImagePack.h"

#include "imagepack/ImagePackStrings.h"
#include "framework/graphics/Canvas.h"
#include "framework/graphics/Picture.h"

int RectWidth(const RECT& rect)
{
    return rect.right - rect.left;
}

int RectHeight(const RECT& rect)
{
    return rect.bottom - rect.top;
}

TImagePack::TImagePack(TComponent* owner)
    : TComponent(owner), notifyList_(std::make_unique<TNotifyList>())
{
}

TImagePack::~TImagePack() = default;

void TImagePack::Change()
{
    notifyList_->Notify(this);
    Fire(OnChange, this);
}

void TImagePack::SetCount(int)
{
    throw EImagePack(SCannotSetCount);
}

void TImagePack::SetImageRect(int, const RECT&)
{
    throw EImagePack(SCannotSetImageRect);
}

int TImagePack::GetImageLeft(int index)
{
    return GetImageRect(index).left;
}

void TImagePack::SetImageLeft(int index, int value)
{
    RECT r = GetImageRect(index);
    OffsetRect(&r, value - r.left, 0);
    SetImageRect(index, r);
}

int TImagePack::GetImageTop(int index)
{
    return GetImageRect(index).top;
}

void TImagePack::SetImageTop(int index, int value)
{
    RECT r = GetImageRect(index);
    OffsetRect(&r, 0, value - r.top);
    SetImageRect(index, r);
}

int TImagePack::GetImageWidth(int index)
{
    return RectWidth(GetImageRect(index));
}

void TImagePack::SetImageWidth(int index, int value)
{
    RECT r = GetImageRect(index);
    r.right = r.left + value;
    SetImageRect(index, r);
}

int TImagePack::GetImageHeight(int index)
{
    return RectHeight(GetImageRect(index));
}

void TImagePack::SetImageHeight(int index, int value)
{
    RECT r = GetImageRect(index);
    r.bottom = r.top + value;
    SetImageRect(index, r);
}

void TImagePack::Draw(TCanvas& canvas, int x, int y, int index)
{
    RECT r = GetImageRect(index);
    OffsetRect(&r, x - r.left, y - r.top);
    StretchDraw(canvas, r, index);
}

void TImagePack::StretchDraw(TCanvas& canvas, const RECT& rect, int index)
{
    TPicture picture;
    GetImage(picture, index);
    canvas.StretchDraw(rect, picture.Graphic());
}

bool TImagePack::IsInvalidIndex(int index)
{
    return index < 0 || index >= GetCount();
}
