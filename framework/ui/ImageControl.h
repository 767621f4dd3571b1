#pragma once
// The image control: shows a picture, painted by its parent (no window of its own). It paints
// nothing while its picture is empty; with AutoSize it takes the picture's size.
#include "framework/ui/Control.h"
#include "framework/graphics/Picture.h"

class TImage : public TControl {
public:
    explicit TImage(TComponent* owner);
    ~TImage() override;
    ZA2_CLASS_NAME(TImage)

    TPicture& Picture() { return picture_; }
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool autoSize);
    bool Stretch() const { return stretch_; }
    void SetStretch(bool stretch);
    bool Center() const { return center_; }
    void SetCenter(bool center);

    HPALETTE GetPalette() override;
    void Paint(HDC dc) override;

protected:
    void Loaded() override;

private:
    void PictureChanged();
    RECT DestRect();

    TPicture picture_;
    bool autoSize_ = false;
    bool stretch_ = false;
    bool center_ = false;
};
