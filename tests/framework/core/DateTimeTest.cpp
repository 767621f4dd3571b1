// The locale-aware text-to-date-time conversion, under the user's short-date settings.
#include "framework/core/DateTime.h"

#include "support/ShortDateSetting.h"
#include "framework/core/Exception.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const char kStamp[] = "00/01/15 02:02:00";

std::string ConversionError(const std::string& text)
{
    try {
        StrToDateTime(text);
    } catch (const EConvertError& e) {
        return e.Message();
    }
    return "(converted)";
}

TDateTime At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0)
{
    return EncodeDate(y, mo, d) + EncodeTime(h, mi, s, 0);
}

} // namespace

TEST(DateTimeTest, EncodeAndDecodeRoundTrip)
{
    EXPECT_EQ(0.0, EncodeDate(1899, 12, 30));
    EXPECT_EQ(36540.0, EncodeDate(2000, 1, 15));
    EXPECT_EQ(60.0, EncodeDate(1900, 2, 28) + 1 - 1);
    int y, m, d, h, mi, s, ms;
    DecodeDate(At(2000, 2, 29, 23, 59, 59), y, m, d);
    DecodeTime(At(2000, 2, 29, 23, 59, 59), h, mi, s, ms);
    EXPECT_EQ(2000, y);
    EXPECT_EQ(2, m);
    EXPECT_EQ(29, d);
    EXPECT_EQ(23, h);
    EXPECT_EQ(59, mi);
    EXPECT_EQ(59, s);
    TDateTime unused;
    EXPECT_FALSE(TryEncodeDate(1999, 2, 29, unused));
    EXPECT_FALSE(TryEncodeTime(24, 0, 0, 0, unused));
    SYSTEMTIME st = DateTimeToSystemTime(At(2000, 1, 15, 2, 2, 0));
    EXPECT_EQ(6, st.wDayOfWeek);  // a Saturday
    EXPECT_EQ(2, st.wMinute);
}

TEST(DateTimeTest, TheStampUnderTheJapaneseDefault)
{
    ShortDateSetting japanese("yyyy/MM/dd", "/");
    EXPECT_DOUBLE_EQ(At(2000, 1, 15, 2, 2, 0), StrToDateTime(kStamp));
    EXPECT_DOUBLE_EQ(At(2000, 1, 15), StrToDateTime("2000/01/15"));
    // Blanks, a missing seconds part, AM/PM before or after, text after the time.
    EXPECT_DOUBLE_EQ(At(2000, 1, 15, 14, 2, 0), StrToDateTime(" 2000 / 1 / 15  2:02 PM"));
    EXPECT_DOUBLE_EQ(At(2000, 1, 15, 0, 30, 0), StrToDateTime("2000/1/15 AM 12:30"));
    EXPECT_DOUBLE_EQ(At(2000, 1, 15, 3, 0, 0), StrToDateTime("2000/1/15 3 and so on"));
    SYSTEMTIME now;
    GetLocalTime(&now);
    EXPECT_DOUBLE_EQ(At(now.wYear, 3, 4), StrToDateTime("3/4"));  // two numbers: this year
    EXPECT_EQ("'2000/1/15 25:00' は日付または時刻ではありません",
              ConversionError("2000/1/15 25:00"));
    EXPECT_EQ("'2000/2/30' は日付または時刻ではありません", ConversionError("2000/2/30"));
    EXPECT_EQ("'' は日付または時刻ではありません", ConversionError(""));
}

TEST(DateTimeTest, DayFirstAndMonthFirstLocalesRefuseTheStamp)
{
    {
        ShortDateSetting dayFirst("dd/MM/yyyy", "/");
        EXPECT_EQ("'00/01/15 02:02:00' は日付または時刻ではありません", ConversionError(kStamp));
        EXPECT_DOUBLE_EQ(At(2000, 1, 15), StrToDateTime("15/01/00"));
    }
    {
        ShortDateSetting monthFirst("M/d/yy", "/");
        EXPECT_EQ("'00/01/15 02:02:00' は日付または時刻ではありません", ConversionError(kStamp));
        EXPECT_DOUBLE_EQ(At(2000, 1, 15), StrToDateTime("1/15/2000"));
    }
}

TEST(DateTimeTest, AnotherDateSeparatorDoesNotScan)
{
    ShortDateSetting dashed("yyyy-MM-dd", "-");
    EXPECT_EQ("'00/01/15 02:02:00' は日付または時刻ではありません", ConversionError(kStamp));
    EXPECT_DOUBLE_EQ(At(2000, 1, 15, 2, 2, 0), StrToDateTime("00-01-15 02:02:00"));
}
