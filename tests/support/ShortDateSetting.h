#pragma once
// Sets the user's short-date format and date separator (SetLocaleInfoA) for one scope and puts
// the previous values back.
#include <string>

class ShortDateSetting {
public:
    ShortDateSetting(const char* format, const char* separator);
    ~ShortDateSetting();
    ShortDateSetting(const ShortDateSetting&) = delete;
    ShortDateSetting& operator=(const ShortDateSetting&) = delete;

private:
    std::string format_;
    std::string separator_;
};
