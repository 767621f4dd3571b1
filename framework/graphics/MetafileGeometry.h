#pragma once
// Where an enhanced metafile's records draw. Follows the mapping state that playing the records
// builds up (map mode, window and viewport, world transform, saved states) and maps logical
// coordinates into device pixels of the recording device, the space of the picture frame. A
// record that would draw far outside the frame, or with a pen or text larger than the picture,
// is refused: GDI's work and memory for a shape grow with its size in device pixels.
#include <windows.h>

#include <vector>

class TMetafileGeometry {
public:
    // The frame and the device's pixels per millimetre, from the metafile's header.
    TMetafileGeometry(const RECTL& frame, const SIZEL& devicePixels, const SIZEL& deviceMillimetres);

    // The state records; false for a value GDI would refuse or that makes no sense.
    bool SetMapMode(DWORD mode);
    bool SetWindowExtent(LONG cx, LONG cy);
    bool SetViewportExtent(LONG cx, LONG cy);
    void SetWindowOrigin(LONG x, LONG y) { state_.windowOrg = {double(x), double(y)}; }
    void SetViewportOrigin(LONG x, LONG y) { state_.viewportOrg = {double(x), double(y)}; }
    bool ScaleWindowExtent(LONG xNum, LONG xDenom, LONG yNum, LONG yDenom);
    bool ScaleViewportExtent(LONG xNum, LONG xDenom, LONG yNum, LONG yDenom);
    bool SetWorldTransform(const XFORM& transform);
    bool ModifyWorldTransform(const XFORM& transform, DWORD mode);
    bool Save();
    bool Restore(LONG which);

    // Sizes of the objects created so far, in logical units, for the checks below.
    void NotePen(LONG width);
    void NoteFont(LONG height, LONG width);

    // Whether a logical point, or every corner of a logical rectangle, maps near the frame.
    bool Reaches(double x, double y) const;
    bool ReachesBox(const RECTL& box) const;
    // Whether a rectangle in device pixels lies near the frame.
    bool DeviceReaches(const RECTL& box) const;
    // Whether a length (a frame width, a corner) stays within the picture's reach.
    bool LengthFits(double length) const;
    // Whether the largest pen, and for text the largest font, stays within the picture.
    bool StrokesFit() const;
    bool TextFits() const;

private:
    struct TPair {
        double x, y;
    };
    struct TState {
        DWORD mapMode;
        TPair windowOrg, windowExt, viewportOrg, viewportExt;
        XFORM world;
    };
    bool SetExtent(TPair& extent, double cx, double cy);
    bool ScaleExtent(TPair& extent, LONG xNum, LONG xDenom, LONG yNum, LONG yDenom);
    TPair Map(double x, double y) const;
    double Scale() const;
    bool Inside(double x, double y) const;
    double LargerFrameSide() const;
    void FixedExtents(TPair unitsPerMillimetre);
    bool Isotropic() const;
    bool Scalable() const;
    void AdjustIsotropic();

    TState state_{};
    std::vector<TState> saved_;
    TPair pixelsPerMillimetre_{};
    TPair frameLow_{}, frameHigh_{}, reach_{};
    double largestPen_ = 0;
    double largestFont_ = 0;
};

// Whether a transform has finite, bounded factors and can be inverted, as GDI requires.
bool SaneTransform(const XFORM& transform);
