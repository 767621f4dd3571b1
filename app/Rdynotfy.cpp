#include "app/Rdynotfy.h"

#include "framework/layout/Layout.h"
#include "framework/ui/Form.h"

#include <windows.h>

TReadyNotifier::TReadyNotifier(TComponent* owner) : TComponent(owner)
{
    if (Designing())
        return;
    FCatcher = new TCatcher(this);
    FCatcher->SetBounds(0, 0, 1, 1);
    FCatcher->OnMouseUp = [this](TObject* sender, TMouseButton button, TShiftState shift, int x,
                                 int y) { CatcherMouseUp(sender, button, shift, x, y); };
    if (auto* form = dynamic_cast<TForm*>(owner)) {
        FCatcher->SetParent(form);
        // Asking for the handle creates the window; the message waits in the queue until the
        // program's message loop runs again.
        PostMessageA(form->Handle(), WM_RBUTTONUP, 0, 0);
    }
}

void TReadyNotifier::CatcherMouseUp(TObject*, TMouseButton, TShiftState, int, int)
{
    // A disabled control gets no more mouse messages: the signal fires once.
    FCatcher->SetEnabled(false);
    Fire(OnReady, this);
}

void RegisterReadyNotifierKind()
{
    RegisterKind<TReadyNotifier>("TReadyNotifier", "TComponent")
        .Event("OnReady", &TReadyNotifier::OnReady);
}
