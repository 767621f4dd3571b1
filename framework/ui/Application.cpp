#include "framework/ui/Application.h"

#include "framework/ui/Form.h"

TApplication* Application = nullptr;

TApplication::TApplication()
{
    Application = this;
}

TApplication::~TApplication()
{
    if (Application == this)
        Application = nullptr;
}

void TApplication::Run()
{
    if (mainForm_ && !Terminated()) {
        try {
            mainForm_->Show();
        } catch (const std::exception& e) {
            HandleException(mainForm_, e);
        }
    }
    while (!Terminated())
        HandleMessage();
}

bool TApplication::PreTranslate(const MSG& message)
{
    TForm* form = TForm::FormOfWindow(message.hwnd);
    try {
        return form && form->HandleDialogKey(message);
    } catch (const std::exception& e) {
        HandleException(form, e);
        return true;
    }
}
