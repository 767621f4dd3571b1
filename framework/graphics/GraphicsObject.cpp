#include "framework/graphics/GraphicsObject.h"

#include "framework/win32/GdiHandle.h"

void TGraphicsObject::Changed()
{
    // Deleted after the listeners ran, also when one of them raised.
    TOwnedHandle<HGDIOBJ, TDeleteGdiObject> old(DetachHandle());
    Fire(OnChange, this);
}
