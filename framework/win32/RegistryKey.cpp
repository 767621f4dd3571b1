#include "framework/win32/RegistryKey.h"

#include "framework/core/Exception.h"
#include "framework/core/FrameworkStrings.h"
#include "framework/core/ResText.h"

#include <cstring>
#include <vector>

TOwnedRegKey OpenRegKey(HKEY root, const std::string& subKey, REGSAM access)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, subKey.c_str(), 0, access, &key) != ERROR_SUCCESS)
        return {};
    return TOwnedRegKey(key);
}

std::string ReadRegString(HKEY key, const std::string& name)
{
    DWORD type = 0;
    DWORD size = 0;
    if (!key || RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size)
                    != ERROR_SUCCESS)
        return std::string();
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        throw ERegistryException(FormatResText(SRegistryError, {name}));
    std::vector<BYTE> data(size + 1, 0);
    if (RegQueryValueExA(key, name.c_str(), nullptr, &type, data.data(), &size) != ERROR_SUCCESS)
        return std::string();
    // The stored text need not end in NUL; the spare byte ends it.
    const char* text = reinterpret_cast<const char*>(data.data());
    return std::string(text, strnlen(text, size));
}
