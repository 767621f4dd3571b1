// Small inputs that claim huge or impossible contents: each is refused with its format's message
// before anything is allocated for what it claims. Runs in a process of its own (ctest
// hostile_tests_input), so that the process's memory peak still shows any allocation.
#include "support/BmpBuilder.h"
#include "support/JpegEncoder.h"
#include "support/StreamBytes.h"
#include "bitmap/USafetyBitmap.h"
#include "dib/UDIBitmap.h"
#include "framework/graphics/Bitmap.h"
#include "framework/graphics/Icon.h"
#include "framework/graphics/JPEGImage.h"
#include "framework/graphics/Metafile.h"
#include "framework/core/Exception.h"
#include "framework/core/FrameworkStrings.h"
#include "framework/core/ResText.h"
#include "framework/core/Stream.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <psapi.h>

#include <climits>
#include <cstring>
#include <functional>
#include <string>

namespace {

constexpr SIZE_T kNoAllocation = 16u << 20;   // what a refusal may cost at most

SIZE_T PeakMemory()
{
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
    return std::max(counters.PeakWorkingSetSize, counters.PeakPagefileUsage);
}

template <class Graphic>
std::function<void()> Loading(const std::string& data)
{
    return [data] {
        TMemoryStream stream;
        FillStream(stream, data);
        Graphic graphic;
        graphic.LoadFromStream(stream);
    };
}

std::string Huge32BitRows()
{
    TestBmp bmp = TestBmp::HeaderOnly(0x40000000, 0, 32);
    bmp.info.biHeight = LONG_MIN;   // its row count times row size wraps a signed 64-bit product
    return bmp.File();
}

std::string HugeRunLengths()
{
    TestBmp bmp = TestBmp::HeaderOnly(16384, 16384, 8);
    bmp.colors.assign(256, kQuadWhite);
    bmp.pixels = {0, 1};   // the end of the bitmap, at once
    bmp.info.biCompression = BI_RLE8;
    bmp.info.biSizeImage = 2;
    return bmp.File();
}

std::string RowsWithoutData()
{
    TestBmp bmp = TestBmp::HeaderOnly(9000, 9000, 8);
    bmp.colors.assign(256, kQuadWhite);
    return bmp.File();
}

std::string ZeroMask()
{
    TestBmp bmp(4, 4, 16);
    bmp.SetMasks(0xF800, 0, 0x001F);
    return bmp.File();
}

// A container whose declared size passes the inflate ratio (there are enough bytes behind it)
// but is beyond any bitmap within the budget.
std::string OversizedContainer()
{
    std::string container = CompressedContainer(TestBmp(4, 4, 24).File());
    const LONG declared = 100 << 20;
    std::memcpy(&container[13], &declared, sizeof(declared));
    return container + std::string(200 << 10, '\0');
}

std::string StoredLengthWithoutData()
{
    const LONG length = 0x7FF00000;
    return std::string(reinterpret_cast<const char*>(&length), sizeof(length)) + "0123456789";
}

std::string HugeJpeg()
{
    std::string jpeg = EncodeJpeg(8, 8, JpegColours::Rgb, [](int, int) { return RGB(1, 2, 3); });
    // The frame header (SOF0) holds the height and width, big-endian, after its length and
    // precision.
    const size_t frame = jpeg.find("\xFF\xC0");
    for (size_t at : {frame + 5, frame + 7}) {
        jpeg[at] = static_cast<char>(0xFF);
        jpeg[at + 1] = static_cast<char>(0xDC);   // 65500
    }
    return jpeg;
}

// One 16 x 16 32-bit icon image whose directory entry and header claim more than it holds.
std::string ShortIcon()
{
    const WORD dir[3] = {0, 1, 1};
    BITMAPINFOHEADER header{};
    header.biSize = sizeof(header);
    header.biWidth = 16;
    header.biHeight = 2 * 16;   // colour rows and mask rows
    header.biPlanes = 1;
    header.biBitCount = 32;
    std::string image(reinterpret_cast<const char*>(&header), sizeof(header));
    image += std::string(64, '\x7F');   // far fewer than 16 x 16 x 4 colour and mask bytes
    std::string entry(16, '\0');
    entry[0] = entry[1] = 16;
    entry[4] = 1;
    entry[6] = 32;
    const DWORD bytes = static_cast<DWORD>(image.size()), offset = 6 + 16;
    std::memcpy(&entry[8], &bytes, 4);
    std::memcpy(&entry[12], &offset, 4);
    return std::string(reinterpret_cast<const char*>(dir), sizeof(dir)) + entry + image;
}

// A placeable Windows metafile whose one record claims more words than the data has.
std::string RecordBeyondTheData()
{
    const WORD placeable[11] = {0xCDD7, 0x9AC6, 0, 0, 0, 100, 50, 96, 0, 0, 0};
    METAHEADER header{1, 9, 0x300, 9 + 3 + 3, 0, 3, 0};
    const WORD record[3] = {0xFFFF, 0x0000, 0x0103};   // 65535 words of SetMapMode
    const WORD end[3] = {3, 0, 0};
    std::string data(reinterpret_cast<const char*>(placeable), sizeof(placeable));
    data.append(reinterpret_cast<const char*>(&header), sizeof(header));
    data.append(reinterpret_cast<const char*>(record), sizeof(record));
    data.append(reinterpret_cast<const char*>(end), sizeof(end));
    return data;
}

}  // namespace

TEST(HostileInput, IsRefusedWithItsFormatsMessageBeforeAnyAllocation)
{
    struct Case {
        const char* name;
        std::function<void()> load;
        unsigned message;
    };
    const Case cases[] = {
        {"wrapping row size, framework bitmap", Loading<TBitmap>(Huge32BitRows()), SInvalidImage},
        {"wrapping row size, DIB", Loading<TDIBitmap>(Huge32BitRows()), SInvalidImage},
        {"huge run-length image", Loading<TSafetyBitmap>(HugeRunLengths()), SInvalidImage},
        {"huge run-length DIB", Loading<TDIBitmap>(HugeRunLengths()), SInvalidImage},
        {"huge rows without data", Loading<TSafetyBitmap>(RowsWithoutData()), SInvalidImage},
        {"zero bitfield mask", Loading<TBitmap>(ZeroMask()), SInvalidImage},
        {"oversized compressed bitmap", Loading<TSafetyBitmap>(OversizedContainer()),
         SInvalidImage},
        {"stored length without data",
         [] {
             TMemoryStream stream;
             FillStream(stream, StoredLengthWithoutData());
             TSafetyBitmap().ReadData(stream);
         },
         SReadError},
        {"huge JPEG", Loading<TJPEGImage>(HugeJpeg()), SInvalidImage},
        {"icon image beyond its bytes", Loading<TIcon>(ShortIcon()), SInvalidIcon},
        {"metafile record beyond the data", Loading<TMetafile>(RecordBeyondTheData()),
         SInvalidMetafile},
        {"memory stream near 2 GB", [] { TMemoryStream().SetSize(LONG_MAX - 10); },
         SMemoryStreamError},
    };
    for (const Case& c : cases) {
        const SIZE_T before = PeakMemory();
        try {
            c.load();
            ADD_FAILURE() << c.name << ": accepted";
        } catch (const Exception& e) {
            EXPECT_EQ(LoadResText(c.message), e.Message()) << c.name;
        }
        EXPECT_LT(PeakMemory() - before, kNoAllocation) << c.name;
    }
}
