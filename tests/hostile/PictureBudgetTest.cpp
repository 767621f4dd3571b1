// The largest pictures the decoded-pixel budget accepts, of each raster kind, loaded and drawn:
// the process's memory peak stays within what one picture may cost. A run of its own (ctest
// hostile_tests_budget), so that the peak is this test's.
#include "support/BmpBuilder.h"
#include "support/JpegEncoder.h"
#include "support/StreamBytes.h"
#include "bitmap/USafetyBitmap.h"
#include "dib/UDIBitmap.h"
#include "framework/graphics/Bitmap.h"
#include "framework/graphics/Canvas.h"
#include "framework/graphics/JPEGImage.h"
#include "framework/core/ImageSize.h"
#include "framework/core/Stream.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <psapi.h>

#include <cmath>
#include <cstdio>
#include <functional>

namespace {

PROCESS_MEMORY_COUNTERS Counters()
{
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
    return counters;
}

using Load = std::function<void(TMemoryStream&)>;

template <class Graphic>
Load LoadAndDraw()
{
    return [](TMemoryStream& stream) {
        Graphic graphic;
        graphic.LoadFromStream(stream);
        TBitmap target;
        target.SetPixelFormat(TPixelFormat::Bit24);
        target.SetSize(64, 64);
        target.Canvas().StretchDraw(RECT{0, 0, 64, 64}, &graphic);
    };
}

}  // namespace

// The input bytes are in memory before the measurement starts (as a resource is in the
// program's image); what loading and drawing add to them is measured. The process's peak only
// grows, so each case's figure is the largest of the cases so far: every one is within the limit.
TEST(PictureBudget, LargestAcceptedPicturesPeakWithinThePictureAllowance)
{
    const int side = static_cast<int>(std::sqrt(double(kMaxDecodedImageBytes) / 4));
    auto bmp = [&](int width, int height, int bits) { return TestBmp(width, height, bits).File(); };
    struct Case {
        const char* name;
        std::string data;
        Load load;
    };
    const Case cases[] = {
        {"24-bit bitmap", bmp(side, side, 24), LoadAndDraw<TSafetyBitmap>()},
        {"32-bit bitmap", bmp(side, side, 32), LoadAndDraw<TSafetyBitmap>()},
        {"1-bit bitmap", bmp(side, side, 1), LoadAndDraw<TSafetyBitmap>()},
        {"8-bit bitmap", bmp(side, side, 8), LoadAndDraw<TSafetyBitmap>()},
        {"compressed bitmap", CompressedContainer(bmp(side, side, 24)), LoadAndDraw<TSafetyBitmap>()},
        {"DIB graphic", bmp(side, side, 32), LoadAndDraw<TDIBitmap>()},
        {"JPEG", EncodeJpeg(side, side, JpegColours::Rgb, [](int x, int y) { return RGB(x, y, x ^ y); }),
         LoadAndDraw<TJPEGImage>()},
    };
    for (const Case& c : cases) {
        TMemoryStream stream;
        FillStream(stream, c.data);
        const PROCESS_MEMORY_COUNTERS before = Counters();
        c.load(stream);
        const PROCESS_MEMORY_COUNTERS after = Counters();
        const TByteCount peak = std::max(after.PeakWorkingSetSize - before.WorkingSetSize,
                                         after.PeakPagefileUsage - before.PagefileUsage);
        std::printf("picture budget: %-20s peak %llu MB above the start\n", c.name, peak >> 20);
        EXPECT_LT(peak, kMaxPictureMemory) << c.name;
    }
}
