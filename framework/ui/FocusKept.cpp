#include "framework/ui/FocusKept.h"

#include "framework/ui/Form.h"

TFocusKept::~TFocusKept()
{
    if (TForm* form = TForm::FormOfWindow(focus_))
        form->RestoreFocus(focus_);
}
