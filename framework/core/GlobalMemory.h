#pragma once
// Owners of Windows global memory (the clipboard's currency, and the buffer of every memory
// stream): a block, and a lock of a block.
#include "framework/core/OwnedHandle.h"

#include <windows.h>

struct TFreeGlobal {
    void operator()(HGLOBAL block) const { GlobalFree(block); }
};
using TOwnedGlobal = TOwnedHandle<HGLOBAL, TFreeGlobal>;

// Unlocks the block whose memory is held (the memory's address is what a lock gives).
struct TUnlockGlobal {
    HGLOBAL block = nullptr;
    void operator()(void*) const { GlobalUnlock(block); }
};
using TGlobalLock = TOwnedHandle<void*, TUnlockGlobal>;

// Locks block for the owner's lifetime; the owner holds nothing when the block cannot be locked.
inline TGlobalLock LockGlobal(HGLOBAL block)
{
    return TGlobalLock(GlobalLock(block), TUnlockGlobal{block});
}
