#pragma once
// Resource files (the 32-bit .res format) made byte by byte, so that a test can give any entry
// odd sizes or damage it.
#include <windows.h>

#include <string>

namespace resfile {

// A Type or Name field: an ordinal, or a text (CP932) stored as UTF-16LE with its NUL.
inline std::string Id(WORD ordinal)
{
    const WORD field[2] = {0xFFFF, ordinal};
    return std::string(reinterpret_cast<const char*>(field), sizeof(field));
}
inline std::string Id(const std::string& text)
{
    std::wstring units(text.size() + 1, L'\0');
    int count = MultiByteToWideChar(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()),
                                    &units[0], static_cast<int>(units.size()));
    units.resize(static_cast<size_t>(count) + 1);
    return std::string(reinterpret_cast<const char*>(units.data()), units.size() * sizeof(WCHAR));
}

inline std::string Dword(DWORD value)
{
    return std::string(reinterpret_cast<const char*>(&value), sizeof(value));
}
inline std::string PadTo4(std::string bytes)
{
    bytes.resize((bytes.size() + 3) & ~size_t{3}, '\0');
    return bytes;
}

// One entry. extraHeader bytes are counted in HeaderSize (odd values allowed) and padded.
inline std::string Entry(const std::string& type, const std::string& name, const std::string& data,
                         DWORD extraHeader = 0)
{
    const size_t kTrailing = 16;   // data version, flags, language, version, characteristics
    std::string ids = PadTo4(type + name);
    const DWORD headerSize = static_cast<DWORD>(8 + ids.size() + kTrailing + extraHeader);
    std::string header = Dword(static_cast<DWORD>(data.size())) + Dword(headerSize) + ids +
                         std::string(kTrailing + extraHeader, '\0');
    return PadTo4(header) + PadTo4(data);
}

// The empty entry that such files begin with.
inline std::string Start()
{
    return Entry(Id(0), Id(0), "");
}

}   // namespace resfile
