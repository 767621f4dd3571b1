#include "app/FileReplace.h"

#include "framework/Exception.h"
#include "framework/FileHandle.h"
#include "framework/FrameworkStrings.h"

#include <windows.h>

namespace {

const char kTempPrefix[] = "za2";

std::string FolderOf(const std::string& path)
{
    char full[MAX_PATH] = {};
    char* name = nullptr;
    DWORD n = GetFullPathNameA(path.c_str(), MAX_PATH, full, &name);
    if (n == 0 || n >= MAX_PATH || !name)
        return ".";
    return std::string(full, name - full);
}

bool IsWindowsNTFamily()
{
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof info;
    return GetVersionExA(&info) && info.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

// The temporary file, deleted again unless it was moved into place.
class TemporaryFile {
public:
    explicit TemporaryFile(const std::string& target)
    {
        char name[MAX_PATH] = {};
        if (!GetTempFileNameA(FolderOf(target).c_str(), kTempPrefix, 0, name))
            throw EFCreateError(SFCreateError, {target});
        path_ = name;
    }
    ~TemporaryFile()
    {
        if (!path_.empty())
            DeleteFileA(path_.c_str());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    const std::string& Path() const { return path_; }
    void Release() { path_.clear(); }

private:
    std::string path_;
};

void WriteWhole(const std::string& path, const void* data, long size, const std::string& target)
{
    TFileHandle file(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid())
        throw EFCreateError(SFCreateError, {target});
    DWORD written = 0;
    if (size > 0 && (!WriteFile(file.Get(), data, size, &written, nullptr)
                     || written != static_cast<DWORD>(size)))
        RaiseWriteError();
    // Data still buffered may fail to reach a full disk only now.
    if (!FlushFileBuffers(file.Get()) || !file.Close())
        RaiseWriteError();
}

bool MoveIntoPlace(const std::string& from, const std::string& to)
{
    if (IsWindowsNTFamily())
        return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
    // The 95/98 family has no replacing move.
    if (GetFileAttributesA(to.c_str()) != INVALID_FILE_ATTRIBUTES && !DeleteFileA(to.c_str()))
        return false;
    return MoveFileA(from.c_str(), to.c_str()) != FALSE;
}

} // namespace

void ReplaceFileContents(const std::string& path, const void* data, long size)
{
    // A file held open without sharing by someone else cannot be replaced; find out before the
    // old file could be touched.
    {
        TFileHandle probe(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD error = probe.Valid() ? ERROR_SUCCESS : GetLastError();
        if (!probe.Valid() && error != ERROR_FILE_NOT_FOUND)
            throw EFCreateError(SFCreateError, {path});
    }
    TemporaryFile temp(path);
    WriteWhole(temp.Path(), data, size, path);
    if (!MoveIntoPlace(temp.Path(), path))
        throw EFCreateError(SFCreateError, {path});
    temp.Release();
}
