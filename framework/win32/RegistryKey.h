#pragma once
// Owner of an open registry key.
#include "framework/core/OwnedHandle.h"

#include <windows.h>

struct TCloseRegKey {
    void operator()(HKEY key) const { RegCloseKey(key); }
};
using TOwnedRegKey = TOwnedHandle<HKEY, TCloseRegKey>;
