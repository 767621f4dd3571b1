#include "framework/core/ResText.h"

#include <windows.h>

namespace {
// Entries are at most a few hundred bytes; the ANSI form of a 4,096-unit entry fits twice over.
constexpr int kMaxResTextBytes = 8192;
}

std::string LoadResText(unsigned id)
{
    std::string buffer(kMaxResTextBytes, '\0');
    int n = LoadStringA(GetModuleHandleA(nullptr), id, buffer.data(), kMaxResTextBytes);
    buffer.resize(n > 0 ? n : 0);
    return buffer;
}

std::string FormatText(const std::string& format, std::initializer_list<std::string> args)
{
    std::string out;
    auto next = args.begin();
    for (size_t i = 0; i < format.size(); ++i) {
        char c = format[i];
        if (c == '%' && i + 1 < format.size()) {
            char d = format[i + 1];
            if (d == '%') {
                out += '%';
                ++i;
                continue;
            }
            if (d == 's' && next != args.end()) {
                out += *next++;
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

std::string FormatResText(unsigned id, std::initializer_list<std::string> args)
{
    return FormatText(LoadResText(id), args);
}
