#include "app/FileReplace.h"

#include "framework/core/Exception.h"
#include "framework/core/FileHandle.h"
#include "framework/core/FrameworkStrings.h"
#include "framework/win32/WindowsFamily.h"

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

bool Exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A new, empty file with a unique name beside target (its name reserved that way); empty when
// none can be made.
std::string NewNameBeside(const std::string& target)
{
    char name[MAX_PATH] = {};
    if (!GetTempFileNameA(FolderOf(target).c_str(), kTempPrefix, 0, name))
        return std::string();
    return name;
}

// A file held open without sharing by someone else cannot be replaced; found out before
// anything is written.
void RequireReplaceable(const std::string& target)
{
    TFileHandle probe(CreateFileA(target.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!probe && GetLastError() != ERROR_FILE_NOT_FOUND)
        throw EFCreateError(SFCreateError, {target});
}

void WriteWhole(const std::string& path, const void* data, long size, const FILETIME* stamp,
                const std::string& target)
{
    TFileHandle file(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                 CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        throw EFCreateError(SFCreateError, {target});
    DWORD written = 0;
    if (size > 0 && (!WriteFile(file.Get(), data, size, &written, nullptr)
                     || written != static_cast<DWORD>(size)))
        RaiseWriteError();
    // Data still buffered may fail to reach a full disk only now.
    if (!FlushFileBuffers(file.Get()))
        RaiseWriteError();
    // A stamp that cannot be set leaves the time of writing; that is not worth a failure.
    if (stamp)
        SetFileTime(file.Get(), nullptr, nullptr, stamp);
    if (!file.Close())
        RaiseWriteError();
}

// Moves from onto to, where to is a name this set reserved (an empty file of ours) or no file.
// The 95/98 family has no replacing move: the reserved empty file goes first.
bool MoveOnto(const std::string& from, const std::string& to)
{
    if (IsNtFamily())
        return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
    if (Exists(to) && !DeleteFileA(to.c_str()))
        return false;
    return MoveFileA(from.c_str(), to.c_str()) != FALSE;
}

void RemoveIfAny(std::string& path)
{
    if (!path.empty())
        DeleteFileA(path.c_str());
    path.clear();
}

} // namespace

TStagedFiles::~TStagedFiles()
{
    for (TEntry& entry : entries_) {
        RemoveIfAny(entry.staged);
        // A backup that could not be put back is the only copy of the old file: it stays.
        if (committed_)
            RemoveIfAny(entry.backup);
    }
}

void TStagedFiles::Stage(const std::string& target, const void* data, long size,
                         const FILETIME* stamp)
{
    RequireReplaceable(target);
    TEntry entry;
    entry.target = target;
    entry.staged = NewNameBeside(target);
    if (entry.staged.empty())
        throw EFCreateError(SFCreateError, {target});
    entries_.push_back(entry);
    WriteWhole(entries_.back().staged, data, size, stamp, target);
}

void TStagedFiles::Commit()
{
    for (TEntry& entry : entries_) {
        if (!PutInPlace(entry)) {
            const std::string failed = entry.target;
            RollBack();
            throw EFCreateError(SFCreateError, {failed});
        }
    }
    committed_ = true;
}

bool TStagedFiles::PutInPlace(TEntry& entry)
{
    if (Exists(entry.target)) {
        entry.backup = NewNameBeside(entry.target);
        if (entry.backup.empty())
            return false;
        if (!MoveOnto(entry.target, entry.backup)) {
            RemoveIfAny(entry.backup);
            return false;
        }
    }
    // The target's name is free now, so a plain move serves both families.
    if (!MoveFileA(entry.staged.c_str(), entry.target.c_str()))
        return false;
    entry.staged.clear();
    entry.placed = true;
    return true;
}

void TStagedFiles::RollBack()
{
    for (auto it = entries_.rbegin(); it != entries_.rend(); ++it) {
        TEntry& entry = *it;
        if (entry.placed && DeleteFileA(entry.target.c_str()))
            entry.placed = false;
        if (!entry.backup.empty() && !entry.placed
            && MoveFileA(entry.backup.c_str(), entry.target.c_str()))
            entry.backup.clear();
    }
}

void ReplaceFileContents(const std::string& path, const void* data, long size)
{
    TStagedFiles files;
    files.Stage(path, data, size);
    files.Commit();
}
