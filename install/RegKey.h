#pragma once
// An open registry key, closed with its owner, and the reading of its text values.
#include "framework/win32/RegistryKey.h"

#include <windows.h>

#include <string>

class TRegKey {
public:
    TRegKey() = default;

    // Opens an existing key (never creates one); false when it cannot be opened with that access.
    bool Open(HKEY root, const std::string& subKey, REGSAM access);
    bool IsOpen() const { return static_cast<bool>(key_); }
    HKEY Get() const { return key_.Get(); }
    void Close() { key_.Close(); }

    // The text value of this name; empty when it does not exist. A value of another type raises
    // ERegistryException naming it.
    std::string ReadString(const std::string& name) const;

private:
    TOwnedRegKey key_;
};
