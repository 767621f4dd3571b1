#pragma once
// The application object: the process's message loop (MessageLoop.h) with its forms: it makes
// them, shows the main form, and gives a form its dialog keys before the focused control.
#include "framework/ui/MessageLoop.h"

class TApplication : public TMessageLoop {
public:
    TApplication();
    ~TApplication() override;
    ZA2_CLASS_NAME(TApplication)

    // Makes a form owned by the application (destroyed with it).
    template <class T>
    T* CreateForm()
    {
        T* form = new T(this);
        if (!mainForm_)
            mainForm_ = form;
        return form;
    }

    // Shows the main form and handles messages until Terminate (or WM_QUIT).
    void Run();

protected:
    // Enter, Esc and Tab belong to the form before the control with the focus sees them.
    bool PreTranslate(const MSG& message) override;
};

// The one application object of the process, or nullptr before it exists.
extern TApplication* Application;
