// A form with a palette realises it when it gets the focus (in the foreground) and again when
// another window changed the system palette (in the background).
#include "framework/ui/Form.h"

#include "framework/win32/GdiHandle.h"

void TForm::RealizePalette(bool background)
{
    HPALETTE palette = GetPalette();
    if (!palette)
        return;
    TWindowDC dc(Handle());
    TSelectPalette selected(dc, palette, background, true);
    InvalidateRect(Handle(), nullptr, FALSE);
}
