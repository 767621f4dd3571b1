#include "support/ShortDateSetting.h"

#include <windows.h>

namespace {
std::string UserLocale(LCTYPE type)
{
    char buffer[128] = {};
    GetLocaleInfoA(LOCALE_USER_DEFAULT, type, buffer, sizeof buffer);
    return buffer;
}
}

ShortDateSetting::ShortDateSetting(const char* format, const char* separator)
    : format_(UserLocale(LOCALE_SSHORTDATE)), separator_(UserLocale(LOCALE_SDATE))
{
    SetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, format);
    SetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDATE, separator);
}

ShortDateSetting::~ShortDateSetting()
{
    SetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, format_.c_str());
    SetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDATE, separator_.c_str());
}
