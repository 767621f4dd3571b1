#pragma once
// Functions of system DLLs that are not KnownDLLs. Windows looks for such a DLL in the program's
// own folder before the system folder, and the program runs elevated from wherever it was saved
// (often a downloads folder): a DLL planted beside it would run with those rights. So the program
// never imports these DLLs: each is loaded once, on first use, by its full path in the system
// folder, and its functions are taken from it by name.
#include <windows.h>
#include <commctrl.h>

// One line a function: the DLL's file name without ".dll", and the function. The end-to-end
// tests make their planted stand-ins of these DLLs from this table.
#define ZA2_SYSTEM_FUNCTIONS(FUNCTION)        \
    FUNCTION(version, GetFileVersionInfoSizeA) \
    FUNCTION(version, GetFileVersionInfoA)     \
    FUNCTION(version, VerQueryValueA)          \
    FUNCTION(comctl32, InitCommonControlsEx)   \
    FUNCTION(comctl32, InitCommonControls)

// Typed pointers to the functions of the table, named as the functions. A function that the
// system's DLL lacks (or a DLL that cannot be loaded) leaves its pointer null.
struct TSystemFunctions {
#define ZA2_SYSTEM_FUNCTION_POINTER(library, name) decltype(&::name) name = nullptr;
    ZA2_SYSTEM_FUNCTIONS(ZA2_SYSTEM_FUNCTION_POINTER)
#undef ZA2_SYSTEM_FUNCTION_POINTER
};

// The table's functions, looked up on the first call; their DLLs stay loaded until the end.
const TSystemFunctions& SystemFunctions();
