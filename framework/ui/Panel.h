#pragma once
// A window that groups controls, framed by an outer and an inner bevel; its caption is drawn
// in the middle.
#include "framework/ui/Control.h"

enum class TBevelCut { None, Lowered, Raised };

class TPanel : public TWinControl {
public:
    explicit TPanel(TComponent* owner);
    ZA2_CLASS_NAME(TPanel)

    TBevelCut BevelInner() const { return bevelInner_; }
    void SetBevelInner(TBevelCut cut);
    TBevelCut BevelOuter() const { return bevelOuter_; }
    void SetBevelOuter(TBevelCut cut);
    int BevelWidth() const { return bevelWidth_; }
    void SetBevelWidth(int width);
    int BorderWidth() const { return borderWidth_; }
    void SetBorderWidth(int width);

    // Children are arranged inside the bevels.
    RECT AlignRect() override;

protected:
    const char* OwnClassName() const override { return "Za2Panel"; }
    void CreateParams(TCreateParams& params) override;
    void PaintWindow(HDC dc) override;
    void CaptionChanged() override;

private:
    void FrameChanged();

    TBevelCut bevelInner_ = TBevelCut::None;
    TBevelCut bevelOuter_ = TBevelCut::Raised;
    int bevelWidth_ = 1;
    int borderWidth_ = 0;
};
