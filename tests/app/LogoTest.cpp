// The low-colour conversion of the logo: on a palette screen the device bitmap it makes carries
// the logo's own palette.
#include "app/FMain.h"
#include "imagepack/UPictureEX.h"
#include "bitmap/USafetyBitmap.h"
#include "framework/graphics/Bitmap.h"
#include "framework/graphics/Canvas.h"
#include "framework/graphics/Picture.h"
#include "framework/core/Stream.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<PALETTEENTRY> Entries(HPALETTE palette)
{
    std::vector<PALETTEENTRY> entries(GetPaletteEntries(palette, 0, 0, nullptr));
    if (!entries.empty())
        GetPaletteEntries(palette, 0, static_cast<UINT>(entries.size()), entries.data());
    return entries;
}

bool SameColours(const std::vector<PALETTEENTRY>& a, const std::vector<PALETTEENTRY>& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].peRed != b[i].peRed || a[i].peGreen != b[i].peGreen || a[i].peBlue != b[i].peBlue)
            return false;
    return true;
}

} // namespace

TEST(CopyBitmapForPalette, RendersTheLogoWithItsOwnPaletteOrAsACopy)
{
    TSafetyBitmapFormats formats;
    TPicture picture;
    TResourceStream resource(GetModuleHandleA(nullptr), "LOGO", RT_BITMAP);
    LoadBitmapResource(picture, resource);
    TBitmap& logo = picture.Bitmap();
    ASSERT_EQ(400, logo.Width());

    TBitmap rendered;
    CopyBitmapForPalette(logo, rendered, nullptr);
    EXPECT_EQ(400, rendered.Width());
    EXPECT_EQ(248, rendered.Height());
    HDC screen = GetDC(nullptr);
    bool paletteScreen = GetDeviceCaps(screen, RASTERCAPS) & RC_PALETTE;
    ReleaseDC(nullptr, screen);
    if (paletteScreen) {
        EXPECT_EQ(256u, Entries(rendered.Palette()).size());
        EXPECT_TRUE(SameColours(Entries(logo.Palette()), Entries(rendered.Palette())));
        EXPECT_NE(logo.Palette(), rendered.Palette()) << "the copy owns a palette of its own";
    } else {
        // A plain copy: the same pixels. (On Wine's 8-bit display a device bitmap shows only
        // the static colours, so pixels are compared off palette screens only.)
        const POINT points[] = {{20, 20}, {200, 230}};
        for (POINT p : points)
            EXPECT_EQ(logo.Canvas().Pixel(p.x, p.y), rendered.Canvas().Pixel(p.x, p.y));
    }
}
