#include "framework/core/DateTime.h"

#include "framework/core/Exception.h"
#include "framework/core/FrameworkStrings.h"

#include <cmath>
#include <cstring>

namespace {

const long kDateDelta = 693594;         // days from 0001-01-01 to 1899-12-30
const long long kMSecsPerDay = 86400000LL;
const int kMaxNumber = 9999;            // no date or time part has more than four digits
const int kDaysPer400Years = 146097;
const int kDaysPer100Years = 36524;
const int kDaysPer4Years = 1461;
const int kDaysPerYear = 365;

bool IsLeapYear(int year)
{
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

int DaysInMonth(int year, int month)
{
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

// The whole days and the milliseconds of the day, the fraction rounded to a millisecond.
void SplitDateTime(TDateTime value, long& days, long& msOfDay)
{
    double whole = std::trunc(value);
    long long ms = std::llround(std::fabs(value - whole) * static_cast<double>(kMSecsPerDay));
    days = static_cast<long>(whole);
    if (ms >= kMSecsPerDay) {
        ms -= kMSecsPerDay;
        days += value < 0 ? -1 : 1;
    }
    msOfDay = static_cast<long>(ms);
}

enum class TDateOrder { MDY, DMY, YMD };

struct TLocaleDates {
    TDateOrder order = TDateOrder::MDY;
    char dateSeparator = '/';
    char timeSeparator = ':';
    std::string am = "AM";
    std::string pm = "PM";
};

std::string LocaleText(LCTYPE type, const char* fallback)
{
    char buffer[128] = {};
    if (GetLocaleInfoA(LOCALE_USER_DEFAULT, type, buffer, sizeof buffer) <= 1)
        return fallback;
    return buffer;
}

// The first of the letters D, M and Y/E in the short-date format decides the order.
TDateOrder DateOrder(const std::string& format)
{
    for (char c : format) {
        switch (c) {
        case 'D': case 'd': return TDateOrder::DMY;
        case 'M': case 'm': return TDateOrder::MDY;
        case 'Y': case 'y': case 'E': case 'e': return TDateOrder::YMD;
        default: break;
        }
    }
    return TDateOrder::MDY;
}

TLocaleDates ReadLocale()
{
    TLocaleDates locale;
    locale.order = DateOrder(LocaleText(LOCALE_SSHORTDATE, ""));
    locale.dateSeparator = LocaleText(LOCALE_SDATE, "/")[0];
    locale.timeSeparator = LocaleText(LOCALE_STIME, ":")[0];
    locale.am = LocaleText(LOCALE_S1159, "AM");
    locale.pm = LocaleText(LOCALE_S2359, "PM");
    return locale;
}

class TDateScanner {
public:
    TDateScanner(const std::string& text, const TLocaleDates& locale)
        : text_(text), locale_(locale)
    {
    }

    bool AtEnd() const { return pos_ >= text_.size(); }

    void SkipBlanks()
    {
        while (pos_ < text_.size() && text_[pos_] == ' ')
            ++pos_;
    }

    bool Date(TDateTime& result)
    {
        int n1, n2, n3 = 0;
        if (!Number(n1) || !Char(locale_.dateSeparator) || !Number(n2))
            return false;
        bool withYear = Char(locale_.dateSeparator);
        if (withYear && !Number(n3))
            return false;
        SYSTEMTIME now;
        GetLocalTime(&now);
        int year = now.wYear, month, day;
        switch (locale_.order) {
        case TDateOrder::MDY:
            month = n1, day = n2;
            if (withYear)
                year = n3;
            break;
        case TDateOrder::DMY:
            day = n1, month = n2;
            if (withYear)
                year = n3;
            break;
        case TDateOrder::YMD:
        default:
            if (withYear)
                year = n1, month = n2, day = n3;
            else
                month = n1, day = n2;
            break;
        }
        // Two-digit years belong to the current century.
        if (withYear && year <= 99)
            year += now.wYear / 100 * 100;
        return TryEncodeDate(year, month, day, result);
    }

    bool Time(TDateTime& result)
    {
        int meridiem = Meridiem();
        int hour, minute = 0, second = 0;
        if (!Number(hour))
            return false;
        if (Char(locale_.timeSeparator)) {
            if (!Number(minute))
                return false;
            if (Char(locale_.timeSeparator) && !Number(second))
                return false;
        }
        if (meridiem < 0)
            meridiem = Meridiem();
        if (meridiem >= 0) {
            if (hour == 0 || hour > 12)
                return false;
            if (meridiem == 1 && hour < 12)
                hour += 12;
            else if (meridiem == 0 && hour == 12)
                hour = 0;
        }
        return TryEncodeTime(hour, minute, second, 0, result);
    }

private:
    bool Number(int& value)
    {
        SkipBlanks();
        size_t start = pos_;
        long n = 0;
        while (pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '9') {
            n = n * 10 + (text_[pos_] - '0');
            if (n > kMaxNumber)
                return false;
            ++pos_;
        }
        value = static_cast<int>(n);
        return pos_ > start;
    }

    bool Char(char c)
    {
        SkipBlanks();
        if (pos_ < text_.size() && text_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }

    bool Word(const std::string& word)
    {
        if (word.empty() || text_.size() - pos_ < word.size())
            return false;
        if (CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, text_.c_str() + pos_,
                           static_cast<int>(word.size()), word.c_str(),
                           static_cast<int>(word.size())) != CSTR_EQUAL)
            return false;
        pos_ += word.size();
        return true;
    }

    // 0 for AM, 1 for PM, -1 when neither designator is here.
    int Meridiem()
    {
        SkipBlanks();
        if (Word(locale_.am) || Word("AM"))
            return 0;
        if (Word(locale_.pm) || Word("PM"))
            return 1;
        return -1;
    }

    const std::string& text_;
    const TLocaleDates& locale_;
    size_t pos_ = 0;
};

} // namespace

bool TryEncodeDate(int year, int month, int day, TDateTime& result)
{
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1
        || day > DaysInMonth(year, month))
        return false;
    long dayOfYear = day;
    for (int m = 1; m < month; ++m)
        dayOfYear += DaysInMonth(year, m);
    long y = year - 1;
    result = static_cast<TDateTime>(y * 365 + y / 4 - y / 100 + y / 400 + dayOfYear - kDateDelta);
    return true;
}

bool TryEncodeTime(int hour, int minute, int second, int millisecond, TDateTime& result)
{
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59
        || millisecond < 0 || millisecond > 999)
        return false;
    long long ms = ((hour * 60LL + minute) * 60 + second) * 1000 + millisecond;
    result = static_cast<double>(ms) / static_cast<double>(kMSecsPerDay);
    return true;
}

TDateTime EncodeDate(int year, int month, int day)
{
    TDateTime result;
    if (!TryEncodeDate(year, month, day, result))
        throw EConvertError("invalid date");
    return result;
}

TDateTime EncodeTime(int hour, int minute, int second, int millisecond)
{
    TDateTime result;
    if (!TryEncodeTime(hour, minute, second, millisecond, result))
        throw EConvertError("invalid time");
    return result;
}

void DecodeDate(TDateTime value, int& year, int& month, int& day)
{
    long days, ms;
    SplitDateTime(value, days, ms);
    long t = days + kDateDelta;
    if (t <= 0) {
        year = month = day = 0;
        return;
    }
    --t;
    int y = 1;
    while (t >= kDaysPer400Years) {
        t -= kDaysPer400Years;
        y += 400;
    }
    long i = t / kDaysPer100Years, d = t % kDaysPer100Years;
    if (i == 4) {
        --i;
        d += kDaysPer100Years;
    }
    y += static_cast<int>(i * 100);
    i = d / kDaysPer4Years;
    d %= kDaysPer4Years;
    y += static_cast<int>(i * 4);
    i = d / kDaysPerYear;
    d %= kDaysPerYear;
    if (i == 4) {
        --i;
        d += kDaysPerYear;
    }
    y += static_cast<int>(i);
    int m = 1;
    while (d >= DaysInMonth(y, m)) {
        d -= DaysInMonth(y, m);
        ++m;
    }
    year = y;
    month = m;
    day = static_cast<int>(d) + 1;
}

void DecodeTime(TDateTime value, int& hour, int& minute, int& second, int& millisecond)
{
    long days, ms;
    SplitDateTime(value, days, ms);
    hour = static_cast<int>(ms / 3600000);
    minute = static_cast<int>(ms / 60000 % 60);
    second = static_cast<int>(ms / 1000 % 60);
    millisecond = static_cast<int>(ms % 1000);
}

SYSTEMTIME DateTimeToSystemTime(TDateTime value)
{
    int y, mo, d, h, mi, s, ms;
    DecodeDate(value, y, mo, d);
    DecodeTime(value, h, mi, s, ms);
    long days, msOfDay;
    SplitDateTime(value, days, msOfDay);
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(y);
    st.wMonth = static_cast<WORD>(mo);
    st.wDay = static_cast<WORD>(d);
    // Day 0 (1899-12-30) was a Saturday.
    st.wDayOfWeek = static_cast<WORD>(((days % 7) + 7 + 6) % 7);
    st.wHour = static_cast<WORD>(h);
    st.wMinute = static_cast<WORD>(mi);
    st.wSecond = static_cast<WORD>(s);
    st.wMilliseconds = static_cast<WORD>(ms);
    return st;
}

namespace {

bool TryScanDateTime(const std::string& text, const TLocaleDates& locale, TDateTime& result)
{
    TDateScanner scanner(text, locale);
    TDateTime date, time = 0;
    if (!scanner.Date(date))
        return false;
    scanner.SkipBlanks();
    // Text after the time is not looked at.
    if (!scanner.AtEnd() && !scanner.Time(time))
        return false;
    result = date >= 0 ? date + time : date - time;
    return true;
}

} // namespace

bool TryStrToDateTime(const std::string& text, TDateTime& result)
{
    return TryScanDateTime(text, ReadLocale(), result);
}

TDateTime StrToDateTimeYMD(const std::string& text)
{
    TLocaleDates fixed;
    fixed.order = TDateOrder::YMD;
    TDateTime result;
    if (!TryScanDateTime(text, fixed, result))
        throw EConvertError(SInvalidDateTime, {text});
    return result;
}

TDateTime StrToDateTime(const std::string& text)
{
    TDateTime result;
    if (!TryStrToDateTime(text, result))
        throw EConvertError(SInvalidDateTime, {text});
    return result;
}
