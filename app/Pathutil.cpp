#include "app/Pathutil.h"

#include "framework/core/AnsiText.h"

#include <windows.h>

namespace {
const char kBackslash = '\\';
}

bool EndsWithChar(const std::string& text, char ch)
{
    if (text.empty())
        return false;
    std::size_t last = LastCharStart(text);
    return last == text.size() - 1 && text[last] == ch;
}

std::string AddBackslash(const std::string& text)
{
    if (text.empty() || EndsWithChar(text, kBackslash))
        return text;
    return text + kBackslash;
}

std::string RemoveBackslash(const std::string& text)
{
    if (EndsWithChar(text, kBackslash))
        return text.substr(0, text.size() - 1);
    return text;
}

std::string JoinPath(const std::string& folder, const std::string& name)
{
    return AddBackslash(folder) + name;
}

bool FileExists(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}
