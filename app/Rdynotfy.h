#pragma once
// A component that raises OnReady once, at the first message the program handles after its form
// was made: with a form that is shown modally at once, when the form is on screen and its modal
// loop runs. The signal is a right-button release posted at (0, 0) to the form, caught by a 1 x 1
// non-windowed catcher in the form's top-left corner.
#include "framework/ui/Control.h"
#include "framework/core/Component.h"
#include "framework/core/Events.h"

// Catches the posted signal; it paints nothing and adds nothing to its base.
class TCatcher : public TControl {
public:
    using TControl::TControl;
    ZA2_CLASS_NAME(TCatcher)
};

class TReadyNotifier : public TComponent {
public:
    explicit TReadyNotifier(TComponent* owner);
    ZA2_CLASS_NAME(TReadyNotifier)

    TNotifyEvent OnReady;

private:
    void CatcherMouseUp(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);

    TCatcher* FCatcher = nullptr;
};

// Lets layouts declare TReadyNotifier components (OnReady). Safe to call more than once.
void RegisterReadyNotifierKind();
