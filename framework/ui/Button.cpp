#include "framework/ui/Button.h"

#include "framework/graphics/Bitmap.h"

namespace {
const int kDefaultWidth = 75;
const int kDefaultHeight = 25;
}

TBitBtn::TBitBtn(TComponent* owner) : TWinControl(owner)
{
    SetTabStop(true);
    SetBounds(0, 0, kDefaultWidth, kDefaultHeight);
}

TBitBtn::~TBitBtn() = default;

DWORD TBitBtn::ButtonStyle() const
{
    return default_ ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
}

void TBitBtn::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    params.className = "BUTTON";
    params.style |= ButtonStyle();
}

void TBitBtn::SetDefault(bool isDefault)
{
    if (isDefault == default_)
        return;
    default_ = isDefault;
    if (HandleAllocated())
        SendMessageA(Handle(), BM_SETSTYLE, ButtonStyle(), TRUE);
}

TBitmap& TBitBtn::Glyph()
{
    if (!glyph_)
        glyph_ = std::make_unique<TBitmap>();
    return *glyph_;
}

void TBitBtn::Click()
{
    if (modalResult_ != mrNone)
        if (TForm* form = TForm::FormOf(*this))
            form->SetModalResult(modalResult_);
    TWinControl::Click();
}

// A focused button takes Enter itself; otherwise Enter presses the default button and Esc the
// cancel button.
bool TBitBtn::IsDialogKeyTarget(TDialogKey key, bool focused) const
{
    if (focused)
        return key == TDialogKey::Enter;
    return key == TDialogKey::Enter ? default_ : cancel_;
}

bool TBitBtn::DialogKeyPressed()
{
    if (!CanFocus())
        return false;
    Click();
    return true;
}

bool TBitBtn::AccessKeyPressed()
{
    if (!CanFocus())
        return false;
    SetFocus();
    Click();
    return true;
}

void TBitBtn::Command(WORD code)
{
    if (code == BN_CLICKED)
        Click();
}
