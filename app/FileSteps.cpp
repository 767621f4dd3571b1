#include "app/FileSteps.h"

#include "framework/win32/WindowsFamily.h"

namespace {

TFileStepObserver& Observer()
{
    static TFileStepObserver observer;
    return observer;
}

bool Allowed(TFileStep step, const std::string& path)
{
    const TFileStepObserver& observer = Observer();
    return !observer || observer(step, path);
}

} // namespace

void SetFileStepObserver(TFileStepObserver observer)
{
    Observer() = std::move(observer);
}

bool FlushStep(HANDLE file, const std::string& path)
{
    return Allowed(TFileStep::Flush, path) && FlushFileBuffers(file);
}

bool MoveStep(const std::string& from, const std::string& to)
{
    if (!Allowed(TFileStep::Move, from))
        return false;
    if (IsNtFamily())
        return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH) != FALSE;
    // The 95/98 family has no MoveFileEx and no write-through: a plain rename.
    return MoveFileA(from.c_str(), to.c_str()) != FALSE;
}

bool DeleteStep(const std::string& path)
{
    return Allowed(TFileStep::Delete, path) && DeleteFileA(path.c_str());
}

bool NameTaken(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}
