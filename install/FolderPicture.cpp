#include "install/FolderPicture.h"

#include "framework/win32/GdiHandle.h"

namespace {

// Colours of the 16-colour system set, so that a 256-colour screen shows them undithered.
const COLORREF kOutline = RGB(0, 0, 0);
const COLORREF kFront = RGB(255, 255, 0);
const COLORREF kBack = RGB(128, 128, 0);

// Outlines in picture coordinates: a tab on the upper left, the body below it.
const POINT kClosed[] = {{0, 2}, {2, 0}, {6, 0}, {8, 2}, {14, 2}, {14, 12}, {0, 12}};
// Opened: the back with its tab, and the front flap tilted towards the viewer.
const POINT kOpenBack[] = {{0, 2}, {2, 0}, {6, 0}, {8, 2}, {12, 2}, {12, 6}, {3, 6}, {0, 12}};
const POINT kOpenFront[] = {{3, 6}, {15, 6}, {12, 12}, {0, 12}};

template <size_t N>
void FillOutline(HDC dc, int x, int y, const POINT (&outline)[N], COLORREF fill)
{
    POINT points[N];
    for (size_t i = 0; i < N; ++i)
        points[i] = POINT{x + outline[i].x, y + outline[i].y};
    TOwnedBrush brush(RequireHandle(CreateSolidBrush(fill)));
    TSelectObject selected(dc, brush.Get());
    Polygon(dc, points, static_cast<int>(N));
}

} // namespace

void DrawFolderPicture(HDC dc, int x, int y, TFolderPicture picture)
{
    TOwnedPen pen(RequireHandle(CreatePen(PS_SOLID, 1, kOutline)));
    TSelectObject selected(dc, pen.Get());
    if (picture == TFolderPicture::Closed) {
        FillOutline(dc, x, y, kClosed, kFront);
        return;
    }
    FillOutline(dc, x, y, kOpenBack, kBack);
    FillOutline(dc, x, y, kOpenFront, kFront);
}
