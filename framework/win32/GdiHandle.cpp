#include "framework/win32/GdiHandle.h"

#include "framework/core/Exception.h"
#include "framework/core/FrameworkStrings.h"

void RaiseOutOfResources()
{
    throw EOutOfResources(SOutOfResources);
}

TMemoryDC::TMemoryDC(HDC reference) : dc_(RequireHandle(CreateCompatibleDC(reference))) {}

TWindowDC::TWindowDC(HWND window)
    : dc_(RequireHandle(GetDC(window)), TReleaseWindowDC{window})
{
}

namespace {

// What SelectObject answers when it selected nothing: there is nothing to select back.
HGDIOBJ SelectedInPlaceOf(HGDIOBJ previous)
{
    return previous == HGDI_ERROR ? nullptr : previous;
}

} // namespace

TSelectObject::TSelectObject(HDC dc, HGDIOBJ object)
    : previous_(object ? SelectedInPlaceOf(SelectObject(dc, object)) : nullptr, TSelectBack{dc})
{
}

TSelectPalette::TSelectPalette(HDC dc, HPALETTE palette, bool background, bool realize)
    : previous_(palette ? SelectPalette(dc, palette, background) : nullptr,
                TSelectPaletteBack{dc, background})
{
    if (previous_ && realize)
        RealizePalette(dc);
}

bool IsPaletteDC(HDC dc)
{
    return (GetDeviceCaps(dc, RASTERCAPS) & RC_PALETTE) != 0;
}
