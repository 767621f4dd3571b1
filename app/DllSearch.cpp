#include "app/DllSearch.h"

#include <windows.h>

namespace {

// Declared by newer headers only; the values are those of the system.
const DWORD kSearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32
using TSetDefaultDllDirectories = BOOL(WINAPI*)(DWORD);
using TSetDllDirectoryA = BOOL(WINAPI*)(LPCSTR);

const char kKernel[] = "kernel32.dll";
const char kEmptySearchFolder[] = "";

template <class Function>
Function KernelFunction(const char* name)
{
    // kernel32 is mapped into every process; this takes no reference.
    HMODULE kernel = GetModuleHandleA(kKernel);
    FARPROC found = kernel ? GetProcAddress(kernel, name) : nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(found));
}

} // namespace

void RestrictDllSearch()
{
    if (auto setDefault = KernelFunction<TSetDefaultDllDirectories>("SetDefaultDllDirectories"))
        setDefault(kSearchSystem32);
    // An empty folder takes the current folder out of the search order.
    if (auto setFolder = KernelFunction<TSetDllDirectoryA>("SetDllDirectoryA"))
        setFolder(kEmptySearchFolder);
}
