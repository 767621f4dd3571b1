#pragma once
// Owners of kernel file handles: closed when the owner goes, or earlier with Close.
#include "framework/core/OwnedHandle.h"

#include <windows.h>

// CreateFile answers INVALID_HANDLE_VALUE, not 0, when it fails. The close's answer tells
// whether the last buffered writes reached the disk.
struct TCloseFile {
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    bool operator()(HANDLE handle) const { return CloseHandle(handle) != FALSE; }
};
using TFileHandle = TOwnedHandle<HANDLE, TCloseFile>;

// A search of FindFirstFile, which also fails with INVALID_HANDLE_VALUE.
struct TCloseFind {
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    void operator()(HANDLE handle) const { FindClose(handle); }
};
using TFindHandle = TOwnedHandle<HANDLE, TCloseFind>;
