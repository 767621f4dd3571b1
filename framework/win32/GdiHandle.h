#pragma once
// Owners of GDI objects and device contexts. Each kind has its own small type so that a handle
// is released exactly once, on every path, by the one object that made or took it.
#include <windows.h>

#include "framework/core/OwnedHandle.h"

// Raises EOutOfResources (the toolkit's "out of system resources" message) when GDI or USER
// returned no object. Returns the handle otherwise.
[[noreturn]] void RaiseOutOfResources();
template <class H>
H RequireHandle(H handle)
{
    if (!handle)
        RaiseOutOfResources();
    return handle;
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

// The DC of a window (of the whole screen for 0), released with the guard.
class TWindowDC {
public:
    explicit TWindowDC(HWND window = nullptr);
    ~TWindowDC();
    TWindowDC(const TWindowDC&) = delete;
    TWindowDC& operator=(const TWindowDC&) = delete;
    HDC Get() const { return dc_; }
    operator HDC() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};
using TScreenDC = TWindowDC;

// Selects an object into a DC and selects the previous one back when it goes (also on errors).
// A null object selects nothing.
class TSelectObject {
public:
    TSelectObject(HDC dc, HGDIOBJ object);
    ~TSelectObject() { Restore(); }
    TSelectObject(const TSelectObject&) = delete;
    TSelectObject& operator=(const TSelectObject&) = delete;
    // Selects the previous object back now.
    void Restore();

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// Selects a palette (as a background palette when background is true), optionally realises it,
// and selects the previous palette back when it goes. A null palette selects nothing.
class TSelectPalette {
public:
    TSelectPalette(HDC dc, HPALETTE palette, bool background, bool realize);
    ~TSelectPalette() { Restore(); }
    TSelectPalette(const TSelectPalette&) = delete;
    TSelectPalette& operator=(const TSelectPalette&) = delete;
    void Restore();

private:
    HDC dc_;
    HPALETTE previous_;
    bool background_;
};

// SaveDC now, RestoreDC when it goes: every attribute a drawing route changes comes back.
class TSavedDC {
public:
    explicit TSavedDC(HDC dc) : dc_(dc), saved_(SaveDC(dc)) {}
    ~TSavedDC()
    {
        if (saved_ != 0)
            RestoreDC(dc_, saved_);
    }
    TSavedDC(const TSavedDC&) = delete;
    TSavedDC& operator=(const TSavedDC&) = delete;

private:
    HDC dc_;
    int saved_;
};

// True when the DC's device works with a hardware palette (256 colours or fewer).
bool IsPaletteDC(HDC dc);
