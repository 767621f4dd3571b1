#pragma once
// A text painted by its parent (no window of its own). With AutoSize it takes the size of its
// text; an access key ("&F") in the caption focuses FocusControl.
#include "framework/ui/Control.h"

enum class TAlignment { LeftJustify, RightJustify, Center };

class TLabel : public TControl {
public:
    explicit TLabel(TComponent* owner);
    ZA2_CLASS_NAME(TLabel)

    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool autoSize);
    // A transparent label leaves its parent's background under the text.
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool transparent);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool wordWrap);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment alignment);
    bool ShowAccelChar() const { return showAccelChar_; }
    void SetShowAccelChar(bool show);
    TWinControl* FocusControl() const { return focusControl_; }
    void SetFocusControl(TWinControl* control) { focusControl_ = control; }

    void Paint(HDC dc) override;
    // Its access key focuses FocusControl.
    bool AccessKeyPressed() override;

protected:
    void Loaded() override;
    void CaptionChanged() override;
    void FontChanged() override;

private:
    UINT TextFlags() const;
    void AdjustBounds();

    bool autoSize_ = true;
    bool transparent_ = false;
    bool wordWrap_ = false;
    TAlignment alignment_ = TAlignment::LeftJustify;
    bool showAccelChar_ = true;
    TWinControl* focusControl_ = nullptr;
};
