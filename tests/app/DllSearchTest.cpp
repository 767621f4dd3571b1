// The start-up restriction of the DLL search, in a run of its own (ctest app_tests_dll_search:
// it changes the whole process): a DLL beside the program or in the current folder is found by
// name before it and not after it.
#include "app/DllSearch.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

namespace {

const char kBeside[] = "za2beside.dll";
const char kCurrent[] = "za2current.dll";

// A DLL of the build machine's folder, as a Windows path (Wine shows the root as drive Z:).
std::string AnyDll(const std::string& unixFolder)
{
    std::string folder = "Z:" + unixFolder;
    for (char& c : folder)
        if (c == '/')
            c = '\\';
    std::vector<std::string> dlls = FileNames(folder, "*.dll");
    return dlls.empty() ? std::string() : folder + "\\" + dlls.front();
}

std::string ProgramFolder()
{
    char path[MAX_PATH] = {};
    std::string name(path, GetModuleFileNameA(nullptr, path, MAX_PATH));
    return name.substr(0, name.rfind('\\'));
}

// Loads the DLL by name alone and lets it go again; true when it was found.
bool FoundByName(const char* name)
{
    HMODULE module = LoadLibraryA(name);
    if (module)
        FreeLibrary(module);
    return module != nullptr;
}

} // namespace

TEST(DllSearch, ProgramAndCurrentFoldersAreLeftOut)
{
    // Any DLL will do: a planted stand-in of the end-to-end tests.
    const std::string stub = AnyDll(ZA2_PLANTED_DIR);
    const std::string beside = ProgramFolder() + "\\" + kBeside;
    TempFolder current;
    ASSERT_TRUE(CopyFileA(stub.c_str(), beside.c_str(), FALSE));
    ASSERT_TRUE(CopyFileA(stub.c_str(), current.File(kCurrent).c_str(), FALSE));
    ASSERT_TRUE(SetCurrentDirectoryA(current.Path().c_str()));

    EXPECT_TRUE(FoundByName(kBeside));
    EXPECT_TRUE(FoundByName(kCurrent));
    RestrictDllSearch();
    EXPECT_FALSE(FoundByName(kBeside));
    EXPECT_FALSE(FoundByName(kCurrent));

    SetCurrentDirectoryA(ProgramFolder().c_str());
    DeleteFileA(beside.c_str());
}
