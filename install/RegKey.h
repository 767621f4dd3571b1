#pragma once
// An open registry key, closed with its owner.
#include <windows.h>

#include <string>

class TRegKey {
public:
    TRegKey() = default;
    ~TRegKey();
    TRegKey(const TRegKey&) = delete;
    TRegKey& operator=(const TRegKey&) = delete;

    // Opens an existing key (never creates one); false when it cannot be opened with that access.
    bool Open(HKEY root, const std::string& subKey, REGSAM access);
    bool IsOpen() const { return key_ != nullptr; }
    HKEY Get() const { return key_; }
    void Close();

    // The text value of this name; empty when it does not exist. A value of another type raises
    // ERegistryException naming it.
    std::string ReadString(const std::string& name) const;

private:
    HKEY key_ = nullptr;
};
