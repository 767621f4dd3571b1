#pragma once
// Settings of the machine that a test changes, put back as they were when it ends.
#include "framework/win32/RegistryKey.h"

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

// A registry value as it was before the test, put back afterwards (keys the test made go too).
class SavedRegValue {
public:
    SavedRegValue(HKEY root, std::string subKey, std::string name, std::string createdTop = "")
        : root_(root), subKey_(std::move(subKey)), name_(std::move(name)),
          createdTop_(std::move(createdTop))
    {
        if (!createdTop_.empty() && OpenRegKey(root_, createdTop_, KEY_READ))
            createdTop_.clear();  // it was there: leave it
        TOwnedRegKey key = OpenRegKey(root_, subKey_, KEY_READ);
        if (!key)
            return;
        DWORD size = 0;
        if (RegQueryValueExA(key.Get(), NameOrNull(), nullptr, &type_, nullptr, &size)
            == ERROR_SUCCESS) {
            data_.resize(size);
            existed_ = RegQueryValueExA(key.Get(), NameOrNull(), nullptr, &type_, data_.data(),
                                        &size) == ERROR_SUCCESS;
        }
    }
    ~SavedRegValue()
    {
        if (!createdTop_.empty()) {
            RegDeleteKeyA(root_, subKey_.c_str());
            RegDeleteKeyA(root_, createdTop_.c_str());
            return;
        }
        TOwnedRegKey key = OpenRegKey(root_, subKey_, KEY_ALL_ACCESS);
        if (!key)
            return;
        if (existed_)
            RegSetValueExA(key.Get(), NameOrNull(), 0, type_, data_.data(),
                           static_cast<DWORD>(data_.size()));
        else
            RegDeleteValueA(key.Get(), NameOrNull());
    }
    void Set(DWORD type, const void* data, DWORD size) const
    {
        HKEY created = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(root_, subKey_.c_str(), 0, nullptr, 0,
                                                 KEY_ALL_ACCESS, nullptr, &created, nullptr));
        TOwnedRegKey key(created);
        RegSetValueExA(key.Get(), NameOrNull(), 0, type, static_cast<const BYTE*>(data), size);
    }
    void SetText(const std::string& text) const
    {
        Set(REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
    }
    void Remove() const
    {
        if (TOwnedRegKey key = OpenRegKey(root_, subKey_, KEY_ALL_ACCESS))
            RegDeleteValueA(key.Get(), NameOrNull());
    }

private:
    const char* NameOrNull() const { return name_.empty() ? nullptr : name_.c_str(); }

    HKEY root_;
    std::string subKey_;
    std::string name_;
    std::string createdTop_;
    bool existed_ = false;
    DWORD type_ = 0;
    std::vector<BYTE> data_;
};

// An environment variable of this process, put back afterwards.
class SavedVariable {
public:
    explicit SavedVariable(std::string name) : name_(std::move(name))
    {
        char buffer[32767];
        DWORD n = GetEnvironmentVariableA(name_.c_str(), buffer, sizeof buffer);
        existed_ = n > 0 && n < sizeof buffer;
        if (existed_)
            value_.assign(buffer, n);
    }
    ~SavedVariable() { SetEnvironmentVariableA(name_.c_str(), existed_ ? value_.c_str() : nullptr); }
    void Set(const std::string& value) const { SetEnvironmentVariableA(name_.c_str(), value.c_str()); }
    void Remove() const { SetEnvironmentVariableA(name_.c_str(), nullptr); }

private:
    std::string name_;
    bool existed_ = false;
    std::string value_;
};
