#pragma once
// Icons: a graphic over an HICON. It loads .ico files (the image that best fits the standard
// icon size and the screen's colours is chosen) and single icon images as RT_ICON resources
// hold them. Icons are always transparent and cannot be resized.
#include "framework/graphics/Graphic.h"
#include "framework/win32/GdiHandle.h"

#include <vector>

class TIcon : public TGraphic {
public:
    TIcon();
    ~TIcon() override;
    ZA2_GRAPHIC_CLASS(TIcon)

    // From an icon: a copy of its image.
    void Assign(TPersistent* source) override;

    int Width() override { return width_; }
    int Height() override { return height_; }
    void SetWidth(int width) override;     // EInvalidOperation unless unchanged
    void SetHeight(int height) override;
    bool Empty() override { return !handle_; }
    bool Transparent() override { return true; }
    void SetTransparent(bool) override {}   // always transparent

    HICON Handle() const { return handle_.Get(); }
    // Takes ownership of icon (0 empties).
    void SetHandle(HICON icon);
    HICON ReleaseHandle();

    // EInvalidGraphic ("ｱｲｺﾝ ｲﾒｰｼﾞが不正です") for data that is no icon.
    void LoadFromStream(TStream& stream) override;
    // An .ico file with one image (the loaded file's bytes when loaded from a stream).
    void SaveToStream(TStream& stream) override;

protected:
    void Draw(TCanvas& canvas, const RECT& rect) override;

private:
    void TakeIcon(HICON icon, std::vector<BYTE> fileBytes);
    std::vector<BYTE> BuildIconFile();

    TOwnedIcon handle_;
    int width_ = 0;
    int height_ = 0;
    std::vector<BYTE> fileBytes_;   // the .ico file it came from (empty when made from a handle)
};
