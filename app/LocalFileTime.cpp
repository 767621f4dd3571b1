#include "app/LocalFileTime.h"

namespace {

// MS-DOS date and time: 2-second units, minutes, hours, day, month, years since 1980;
// nothing outside 1980-2099.
const int kDosFirstYear = 1980;
const int kDosLastYear = 2099;

bool ToDosDateTime(TDateTime value, WORD& date, WORD& time)
{
    int year, month, day, hour, minute, second, ms;
    DecodeDate(value, year, month, day);
    DecodeTime(value, hour, minute, second, ms);
    if (year < kDosFirstYear || year > kDosLastYear)
        return false;
    date = static_cast<WORD>(((year - kDosFirstYear) << 9) | (month << 5) | day);
    time = static_cast<WORD>((hour << 11) | (minute << 5) | (second / 2));
    return true;
}

// Windows XP and later convert for the daylight-saving state of the given date; the program
// must still start where the function is missing (Windows 98, NT 4), so it is looked up here.
TDatedConversion DatedConversion()
{
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    FARPROC proc = kernel ? GetProcAddress(kernel, "TzSpecificLocalTimeToSystemTime") : nullptr;
    return reinterpret_cast<TDatedConversion>(reinterpret_cast<void*>(proc));
}

bool DatedLocalToUtc(TDatedConversion convert, const FILETIME& local, FILETIME& utc)
{
    SYSTEMTIME localTime, utcTime;
    return FileTimeToSystemTime(&local, &localTime) && convert(nullptr, &localTime, &utcTime)
           && SystemTimeToFileTime(&utcTime, &utc);
}

} // namespace

bool StampFile(HANDLE file, TDateTime local)
{
    FILETIME utc;
    return LocalToFileTime(local, utc, DatedConversion())
           && SetFileTime(file, nullptr, nullptr, &utc);
}

bool LocalToFileTime(TDateTime local, FILETIME& utc, TDatedConversion convert)
{
    WORD dosDate = 0, dosTime = 0;
    FILETIME localFileTime;
    if (!ToDosDateTime(local, dosDate, dosTime)
        || !DosDateTimeToFileTime(dosDate, dosTime, &localFileTime))
        return false;
    if (convert)
        return DatedLocalToUtc(convert, localFileTime, utc);
    // Older systems only know today's offset.
    return LocalFileTimeToFileTime(&localFileTime, &utc) != FALSE;
}
