#include "framework/graphics/MetafileGeometry.h"

#include "framework/graphics/MetafileLimits.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kHundredthsPerMillimetre = 100.0;
constexpr double kMillimetresPerInch = 25.4;
// Logical units per millimetre of the fixed map modes.
constexpr double kLoMetric = 10.0, kHiMetric = 100.0;
constexpr double kLoEnglish = 100.0 / kMillimetresPerInch, kHiEnglish = 1000.0 / kMillimetresPerInch;
constexpr double kTwips = 1440.0 / kMillimetresPerInch;
// Translations beyond this are far outside any frame; it keeps the arithmetic finite.
constexpr double kMaxOffset = 1e9;

constexpr XFORM kIdentity{1, 0, 0, 1, 0, 0};

// a, then b.
XFORM Combined(const XFORM& a, const XFORM& b)
{
    return {a.eM11 * b.eM11 + a.eM12 * b.eM21,  a.eM11 * b.eM12 + a.eM12 * b.eM22,
            a.eM21 * b.eM11 + a.eM22 * b.eM21,  a.eM21 * b.eM12 + a.eM22 * b.eM22,
            a.eDx * b.eM11 + a.eDy * b.eM21 + b.eDx, a.eDx * b.eM12 + a.eDy * b.eM22 + b.eDy};
}

bool Bounded(double value, double limit)
{
    return std::isfinite(value) && std::fabs(value) <= limit;
}

double Sign(double value)
{
    return value < 0 ? -1.0 : 1.0;
}

}  // namespace

bool SaneTransform(const XFORM& t)
{
    for (double factor : {t.eM11, t.eM12, t.eM21, t.eM22})
        if (!Bounded(factor, kMaxTransformFactor))
            return false;
    const double determinant = double(t.eM11) * t.eM22 - double(t.eM12) * t.eM21;
    return Bounded(t.eDx, kMaxOffset) && Bounded(t.eDy, kMaxOffset) &&
           std::fabs(determinant) >= 1.0 / kMaxTransformFactor;
}

TMetafileGeometry::TMetafileGeometry(const RECTL& frame, const SIZEL& devicePixels,
                                     const SIZEL& deviceMillimetres)
    : pixelsPerMillimetre_{double(devicePixels.cx) / deviceMillimetres.cx,
                           double(devicePixels.cy) / deviceMillimetres.cy}
{
    const double toX = pixelsPerMillimetre_.x / kHundredthsPerMillimetre;
    const double toY = pixelsPerMillimetre_.y / kHundredthsPerMillimetre;
    frameLow_ = {std::min(frame.left, frame.right) * toX, std::min(frame.top, frame.bottom) * toY};
    frameHigh_ = {std::max(frame.left, frame.right) * toX, std::max(frame.top, frame.bottom) * toY};
    reach_ = {(frameHigh_.x - frameLow_.x) * kFrameReach, (frameHigh_.y - frameLow_.y) * kFrameReach};
    state_.mapMode = MM_TEXT;
    state_.windowExt = state_.viewportExt = {1, 1};
    state_.world = kIdentity;
}

void TMetafileGeometry::FixedExtents(TPair unitsPerMillimetre)
{
    state_.windowExt = {unitsPerMillimetre.x, unitsPerMillimetre.y};
    state_.viewportExt = {pixelsPerMillimetre_.x, -pixelsPerMillimetre_.y};
}

bool TMetafileGeometry::SetMapMode(DWORD mode)
{
    switch (mode) {
    case MM_TEXT: state_.windowExt = state_.viewportExt = {1, 1}; break;
    case MM_LOMETRIC: FixedExtents({kLoMetric, kLoMetric}); break;
    case MM_HIMETRIC: FixedExtents({kHiMetric, kHiMetric}); break;
    case MM_LOENGLISH: FixedExtents({kLoEnglish, kLoEnglish}); break;
    case MM_HIENGLISH: FixedExtents({kHiEnglish, kHiEnglish}); break;
    case MM_TWIPS: FixedExtents({kTwips, kTwips}); break;
    case MM_ISOTROPIC: FixedExtents({kLoMetric, kLoMetric}); break;
    case MM_ANISOTROPIC: break;
    default: return false;
    }
    state_.mapMode = mode;
    return true;
}

bool TMetafileGeometry::Isotropic() const
{
    return state_.mapMode == MM_ISOTROPIC;
}

bool TMetafileGeometry::Scalable() const
{
    return Isotropic() || state_.mapMode == MM_ANISOTROPIC;
}

// Isotropic mapping keeps one physical scale on both axes: the larger one shrinks.
void TMetafileGeometry::AdjustIsotropic()
{
    if (!Isotropic())
        return;
    TPair& window = state_.windowExt;
    TPair& viewport = state_.viewportExt;
    const double xScale = std::fabs(viewport.x / window.x) / pixelsPerMillimetre_.x;
    const double yScale = std::fabs(viewport.y / window.y) / pixelsPerMillimetre_.y;
    if (xScale > yScale)
        viewport.x = Sign(viewport.x) * std::fabs(window.x) * yScale * pixelsPerMillimetre_.x;
    else
        viewport.y = Sign(viewport.y) * std::fabs(window.y) * xScale * pixelsPerMillimetre_.y;
}

// Extents change only in the scalable map modes; a value GDI refuses leaves them as they were.
bool TMetafileGeometry::SetExtent(TPair& extent, double cx, double cy)
{
    if (std::fabs(cx) < 1.0 || std::fabs(cy) < 1.0 || !Bounded(cx, kMaxOffset) ||
        !Bounded(cy, kMaxOffset))
        return false;
    if (Scalable()) {
        extent = {cx, cy};
        AdjustIsotropic();
    }
    return true;
}

bool TMetafileGeometry::SetWindowExtent(LONG cx, LONG cy)
{
    return SetExtent(state_.windowExt, cx, cy);
}

bool TMetafileGeometry::SetViewportExtent(LONG cx, LONG cy)
{
    return SetExtent(state_.viewportExt, cx, cy);
}

// Extent x num / denom on each axis.
bool TMetafileGeometry::ScaleExtent(TPair& extent, LONG xNum, LONG xDenom, LONG yNum, LONG yDenom)
{
    if (xDenom == 0 || yDenom == 0)
        return false;
    return SetExtent(extent, extent.x * xNum / xDenom, extent.y * yNum / yDenom);
}

bool TMetafileGeometry::ScaleWindowExtent(LONG xNum, LONG xDenom, LONG yNum, LONG yDenom)
{
    return ScaleExtent(state_.windowExt, xNum, xDenom, yNum, yDenom);
}

bool TMetafileGeometry::ScaleViewportExtent(LONG xNum, LONG xDenom, LONG yNum, LONG yDenom)
{
    return ScaleExtent(state_.viewportExt, xNum, xDenom, yNum, yDenom);
}

bool TMetafileGeometry::SetWorldTransform(const XFORM& transform)
{
    if (!SaneTransform(transform))
        return false;
    state_.world = transform;
    return true;
}

bool TMetafileGeometry::ModifyWorldTransform(const XFORM& transform, DWORD mode)
{
    switch (mode) {
    case MWT_IDENTITY: state_.world = kIdentity; return true;
    case MWT_LEFTMULTIPLY: return SaneTransform(transform) && SetWorldTransform(Combined(transform, state_.world));
    case MWT_RIGHTMULTIPLY: return SaneTransform(transform) && SetWorldTransform(Combined(state_.world, transform));
    case kModifyWorldSet: return SetWorldTransform(transform);
    default: return false;
    }
}

bool TMetafileGeometry::Save()
{
    if (saved_.size() >= static_cast<size_t>(kMaxSavedStates))
        return false;
    saved_.push_back(state_);
    return true;
}

// A negative value counts back from the latest saved state, a positive one from the first.
bool TMetafileGeometry::Restore(LONG which)
{
    const long long depth = static_cast<long long>(saved_.size());
    const long long level = which < 0 ? depth + which + 1 : which;
    if (which == 0 || level < 1 || level > depth)
        return false;
    state_ = saved_[static_cast<size_t>(level - 1)];
    saved_.resize(static_cast<size_t>(level - 1));
    return true;
}

void TMetafileGeometry::NotePen(LONG width)
{
    largestPen_ = std::max(largestPen_, std::fabs(double(width)));
}

void TMetafileGeometry::NoteFont(LONG height, LONG width)
{
    largestFont_ = std::max({largestFont_, std::fabs(double(height)), std::fabs(double(width))});
}

TMetafileGeometry::TPair TMetafileGeometry::Map(double x, double y) const
{
    const XFORM& w = state_.world;
    const double wx = x * w.eM11 + y * w.eM21 + w.eDx, wy = x * w.eM12 + y * w.eM22 + w.eDy;
    return {(wx - state_.windowOrg.x) * state_.viewportExt.x / state_.windowExt.x + state_.viewportOrg.x,
            (wy - state_.windowOrg.y) * state_.viewportExt.y / state_.windowExt.y + state_.viewportOrg.y};
}

double TMetafileGeometry::Scale() const
{
    const XFORM& w = state_.world;
    const double sx = std::fabs(state_.viewportExt.x / state_.windowExt.x);
    const double sy = std::fabs(state_.viewportExt.y / state_.windowExt.y);
    return std::max(sx * (std::fabs(w.eM11) + std::fabs(w.eM21)),
                    sy * (std::fabs(w.eM12) + std::fabs(w.eM22)));
}

bool TMetafileGeometry::Inside(double x, double y) const
{
    return x >= frameLow_.x - reach_.x && x <= frameHigh_.x + reach_.x &&
           y >= frameLow_.y - reach_.y && y <= frameHigh_.y + reach_.y;
}

bool TMetafileGeometry::Reaches(double x, double y) const
{
    const TPair p = Map(x, y);
    return Inside(p.x, p.y);
}

bool TMetafileGeometry::ReachesBox(const RECTL& box) const
{
    return Reaches(box.left, box.top) && Reaches(box.right, box.top) &&
           Reaches(box.left, box.bottom) && Reaches(box.right, box.bottom);
}

bool TMetafileGeometry::DeviceReaches(const RECTL& box) const
{
    return Inside(box.left, box.top) && Inside(box.right, box.bottom);
}

double TMetafileGeometry::LargerFrameSide() const
{
    return std::max(frameHigh_.x - frameLow_.x, frameHigh_.y - frameLow_.y);
}

bool TMetafileGeometry::LengthFits(double length) const
{
    return std::fabs(length) * Scale() <= LargerFrameSide() * kFrameReach;
}

bool TMetafileGeometry::StrokesFit() const
{
    return LengthFits(largestPen_);
}

// A font of height 0, or a stock font, has GDI's default height in logical units.
bool TMetafileGeometry::TextFits() const
{
    const double font = std::max(largestFont_, kDefaultFontUnits);
    return LengthFits(font) && font * Scale() <= kMaxGlyphPixels;
}
