#pragma once
// Registry keys: the owner of an open key, and the reading of a key's text values.
#include "framework/core/OwnedHandle.h"

#include <windows.h>

#include <string>

struct TCloseRegKey {
    void operator()(HKEY key) const { RegCloseKey(key); }
};
using TOwnedRegKey = TOwnedHandle<HKEY, TCloseRegKey>;

// An existing key opened with access (never created); holds nothing when it cannot be opened.
TOwnedRegKey OpenRegKey(HKEY root, const std::string& subKey, REGSAM access);

// The text value of this name of key; empty when key is 0 or has no such value. A value of
// another type raises ERegistryException naming it.
std::string ReadRegString(HKEY key, const std::string& name);
