#include "framework/win32/GdiHandle.h"

#include "framework/core/Exception.h"
#include "framework/core/FrameworkStrings.h"

void RaiseOutOfResources()
{
    throw EOutOfResources(SOutOfResources);
}

TMemoryDC::TMemoryDC(HDC reference) : dc_(RequireHandle(CreateCompatibleDC(reference))) {}

TWindowDC::TWindowDC(HWND window) : window_(window), dc_(RequireHandle(GetDC(window))) {}

TWindowDC::~TWindowDC()
{
    ReleaseDC(window_, dc_);
}

TSelectObject::TSelectObject(HDC dc, HGDIOBJ object)
    : dc_(dc), previous_(object ? SelectObject(dc, object) : nullptr)
{
}

void TSelectObject::Restore()
{
    if (previous_ && previous_ != HGDI_ERROR)
        SelectObject(dc_, previous_);
    previous_ = nullptr;
}

TSelectPalette::TSelectPalette(HDC dc, HPALETTE palette, bool background, bool realize)
    : dc_(dc), previous_(palette ? SelectPalette(dc, palette, background) : nullptr),
      background_(background)
{
    if (previous_ && realize)
        RealizePalette(dc);
}

void TSelectPalette::Restore()
{
    if (previous_)
        SelectPalette(dc_, previous_, background_);
    previous_ = nullptr;
}

bool IsPaletteDC(HDC dc)
{
    return (GetDeviceCaps(dc, RASTERCAPS) & RC_PALETTE) != 0;
}
