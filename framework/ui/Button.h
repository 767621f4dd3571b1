#pragma once
// The push button with an optional picture. Its window text is its caption. Pressing it (mouse,
// Space, Enter as the form's default button, Esc as its cancel button) hands its modal result
// to the form and then raises OnClick.
#include "framework/ui/Form.h"

#include <memory>

class TBitmap;

class TBitBtn : public TWinControl {
public:
    explicit TBitBtn(TComponent* owner);
    ~TBitBtn() override;
    ZA2_CLASS_NAME(TBitBtn)

    // Enter presses the form's default button (unless another button has the focus).
    bool Default() const { return default_; }
    void SetDefault(bool isDefault);
    // Esc presses the form's cancel button.
    bool Cancel() const { return cancel_; }
    void SetCancel(bool cancel) { cancel_ = cancel; }
    TModalResult ModalResult() const { return modalResult_; }
    void SetModalResult(TModalResult result) { modalResult_ = result; }

    // The button's picture; empty unless a glyph is given.
    TBitmap& Glyph();

    void Click() override;
    bool IsDialogKeyTarget(TDialogKey key, bool focused) const override;
    bool DialogKeyPressed() override;
    bool AccessKeyPressed() override;

protected:
    void CreateParams(TCreateParams& params) override;
    void Command(WORD code) override;

private:
    DWORD ButtonStyle() const;

    bool default_ = false;
    bool cancel_ = false;
    TModalResult modalResult_ = mrNone;
    std::unique_ptr<TBitmap> glyph_;
};
