#pragma once
// Base of the canvas's drawing tools (font, pen, brush): a set of attributes that owns the GDI
// object made from them. The object is made on first use and remade after every change; a
// canvas listens to OnChange and selects the new object into its DC.
#include "framework/core/Events.h"
#include "framework/core/Persistent.h"

#include <windows.h>

class TGraphicsObject : public TPersistent {
public:
    ZA2_CLASS_NAME(TGraphicsObject)
    TNotifyEvent OnChange;

protected:
    TGraphicsObject() = default;
    // Fires OnChange, then deletes the old GDI object: a listening canvas has selected the new
    // one by then, so the old one is never deleted while it is still selected.
    void Changed();
    // Gives up the current GDI object (0 when none was made).
    virtual HGDIOBJ DetachHandle() = 0;
};
