#include "framework/graphics/GraphicsObject.h"

void TGraphicsObject::Changed()
{
    HGDIOBJ old = DetachHandle();
    try {
        Fire(OnChange, this);
    } catch (...) {
        if (old)
            DeleteObject(old);
        throw;
    }
    if (old)
        DeleteObject(old);
}
