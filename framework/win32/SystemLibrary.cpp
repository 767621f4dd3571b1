#include "framework/win32/SystemLibrary.h"

#include "framework/win32/GdiHandle.h"

#include <string>
#include <utility>
#include <vector>

namespace {

struct TFreeLibrary {
    void operator()(HMODULE module) const { FreeLibrary(module); }
};
using TOwnedModule = TOwnedHandle<HMODULE, TFreeLibrary>;

const char kLibraryExtension[] = ".dll";

// The library's full path in the system folder; empty when the folder's name does not fit.
std::string SystemFolderPath(const char* library)
{
    char folder[MAX_PATH] = {};
    UINT length = GetSystemDirectoryA(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return std::string();
    return std::string(folder, length) + "\\" + library + kLibraryExtension;
}

HMODULE LoadFromSystemFolder(const char* library)
{
    std::string path = SystemFolderPath(library);
    if (path.empty())
        return nullptr;
    // The altered search makes Windows look for the library's own dependencies in its folder
    // (the system folder) first instead of the program's; systems without default DLL
    // directories (before Windows 8) would otherwise search the program's folder for them.
    return LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

// Every library of the table, loaded once on its first request (a failed load is not retried)
// and freed at the end of the program.
class TLoadedLibraries {
public:
    FARPROC Function(const char* library, const char* name)
    {
        HMODULE module = Module(library);
        return module ? GetProcAddress(module, name) : nullptr;
    }

private:
    HMODULE Module(const char* library)
    {
        for (const auto& loaded : loaded_)
            if (loaded.first == library)
                return loaded.second.Get();
        loaded_.emplace_back(library, TOwnedModule(LoadFromSystemFolder(library)));
        return loaded_.back().second.Get();
    }

    std::vector<std::pair<std::string, TOwnedModule>> loaded_;
};

template <class Function>
void Take(Function& pointer, FARPROC found)
{
    // Through the untyped function pointer, which converts to and from every other one.
    pointer = reinterpret_cast<Function>(reinterpret_cast<void (*)()>(found));
}

TSystemFunctions Resolve(TLoadedLibraries& libraries)
{
    TSystemFunctions functions;
#define ZA2_RESOLVE_SYSTEM_FUNCTION(library, name) \
    Take(functions.name, libraries.Function(#library, #name));
    ZA2_SYSTEM_FUNCTIONS(ZA2_RESOLVE_SYSTEM_FUNCTION)
#undef ZA2_RESOLVE_SYSTEM_FUNCTION
    return functions;
}

} // namespace

const TSystemFunctions& SystemFunctions()
{
    static TLoadedLibraries libraries;
    static const TSystemFunctions functions = Resolve(libraries);
    return functions;
}
