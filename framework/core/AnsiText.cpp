#include "framework/core/AnsiText.h"

#include <windows.h>

std::size_t CharByteCount(const std::string& text, std::size_t pos)
{
    if (pos + 1 < text.size() && IsDBCSLeadByte(static_cast<BYTE>(text[pos])))
        return 2;
    return 1;
}

std::size_t LastCharStart(const std::string& text)
{
    std::size_t pos = 0;
    for (;;) {
        std::size_t next = pos + CharByteCount(text, pos);
        if (next >= text.size())
            return pos;
        pos = next;
    }
}

std::string CutAtCharBoundary(const std::string& text, std::size_t maxBytes)
{
    std::size_t end = 0;
    while (end < text.size()) {
        std::size_t next = end + CharByteCount(text, end);
        if (next > maxBytes)
            break;
        end = next;
    }
    return text.substr(0, end);
}
