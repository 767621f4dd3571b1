#pragma once
// Owners of GDI objects and device contexts, all made of the one owner template: a handle is
// released exactly once, on every path, by the one object that made or took it.
#include "framework/core/OwnedHandle.h"

#include <windows.h>

// Raises EOutOfResources (the toolkit's "out of system resources" message) when GDI or USER
// returned no object. Returns the handle (or its owner) otherwise.
[[noreturn]] void RaiseOutOfResources();
template <class H>
H RequireHandle(H handle)
{
    if (!handle)
        RaiseOutOfResources();
    return handle;
}
template <class H, class Closer>
TOwnedHandle<H, Closer> RequireHandle(TOwnedHandle<H, Closer> owner)
{
    if (!owner)
        RaiseOutOfResources();
    return owner;
}

struct TDeleteGdiObject {
    void operator()(HGDIOBJ handle) const { DeleteObject(handle); }
};
struct TDestroyIcon {
    void operator()(HICON handle) const { DestroyIcon(handle); }
};
struct TDeleteEnhMetaFile {
    void operator()(HENHMETAFILE handle) const { DeleteEnhMetaFile(handle); }
};
struct TDeleteDC {
    void operator()(HDC handle) const { DeleteDC(handle); }
};

using TOwnedBitmap = TOwnedHandle<HBITMAP, TDeleteGdiObject>;
using TOwnedPalette = TOwnedHandle<HPALETTE, TDeleteGdiObject>;
using TOwnedBrush = TOwnedHandle<HBRUSH, TDeleteGdiObject>;
using TOwnedPen = TOwnedHandle<HPEN, TDeleteGdiObject>;
using TOwnedFont = TOwnedHandle<HFONT, TDeleteGdiObject>;
using TOwnedRegion = TOwnedHandle<HRGN, TDeleteGdiObject>;
using TOwnedIcon = TOwnedHandle<HICON, TDestroyIcon>;
using TOwnedEnhMetaFile = TOwnedHandle<HENHMETAFILE, TDeleteEnhMetaFile>;
// A DC from CreateDC / CreateCompatibleDC, deleted with its owner.
using TOwnedDC = TOwnedHandle<HDC, TDeleteDC>;

// A memory DC compatible with reference (the screen when reference is 0). Raises
// EOutOfResources when none can be made.
class TMemoryDC {
public:
    explicit TMemoryDC(HDC reference = nullptr);
    HDC Get() const { return dc_.Get(); }
    operator HDC() const { return dc_.Get(); }

private:
    TOwnedDC dc_;
};

// Gives a DC taken with GetDC back to the window it came from (0: the screen).
struct TReleaseWindowDC {
    HWND window = nullptr;
    void operator()(HDC dc) const { ReleaseDC(window, dc); }
};
using TOwnedWindowDC = TOwnedHandle<HDC, TReleaseWindowDC>;

// The DC of a window (of the whole screen for 0), taken now and released with its owner. Raises
// EOutOfResources when none can be had.
class TWindowDC {
public:
    explicit TWindowDC(HWND window = nullptr);
    HDC Get() const { return dc_.Get(); }
    operator HDC() const { return dc_.Get(); }

private:
    TOwnedWindowDC dc_;
};
using TScreenDC = TWindowDC;

// Selects what an object was selected in place of back into the DC.
struct TSelectBack {
    HDC dc = nullptr;
    void operator()(HGDIOBJ previous) const { SelectObject(dc, previous); }
};

// Selects an object into a DC and selects the previous one back when it goes (also on errors).
// A null object selects nothing.
class TSelectObject {
public:
    TSelectObject(HDC dc, HGDIOBJ object);
    // False when nothing was selected (no object, or the DC refused it).
    bool Selected() const { return static_cast<bool>(previous_); }
    // Selects the previous object back now.
    void Restore() { previous_.Close(); }

private:
    TOwnedHandle<HGDIOBJ, TSelectBack> previous_;
};

// Selects the palette a palette was selected in place of back into the DC, as the same kind
// (background or foreground) of palette.
struct TSelectPaletteBack {
    HDC dc = nullptr;
    bool background = false;
    void operator()(HPALETTE previous) const { SelectPalette(dc, previous, background); }
};

// Selects a palette (as a background palette when background is true), optionally realises it,
// and selects the previous palette back when it goes. A null palette selects nothing.
class TSelectPalette {
public:
    TSelectPalette(HDC dc, HPALETTE palette, bool background, bool realize);
    void Restore() { previous_.Close(); }

private:
    TOwnedHandle<HPALETTE, TSelectPaletteBack> previous_;
};

// Brings a DC back to a state SaveDC kept (the state's number is what is held; 0 is none).
struct TRestoreDC {
    HDC dc = nullptr;
    void operator()(int saved) const { RestoreDC(dc, saved); }
};

// SaveDC now, RestoreDC when it goes: every attribute a drawing route changes comes back.
class TSavedDC {
public:
    explicit TSavedDC(HDC dc) : saved_(SaveDC(dc), TRestoreDC{dc}) {}

private:
    TOwnedHandle<int, TRestoreDC> saved_;
};

// True when the DC's device works with a hardware palette (256 colours or fewer).
bool IsPaletteDC(HDC dc);
