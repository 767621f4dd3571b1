#pragma once
// The steps by which an update changes the installation folder: the flush of a written file, a
// rename, a delete. A rename never replaces a file, so one route serves both Windows families;
// on the NT family a rename is on the disk before it returns. Each step is first shown to the
// step observer when one is set: tests use it to end the process at a chosen step, or to make a
// step fail. The program sets none.
#include <windows.h>

#include <functional>
#include <string>

enum class TFileStep { Flush, Move, Delete };

// Sees each step before it is taken (path: the file flushed, moved or deleted); answering false
// makes the step fail as if the system had refused it.
using TFileStepObserver = std::function<bool(TFileStep step, const std::string& path)>;
void SetFileStepObserver(TFileStepObserver observer);

// True once the file's written bytes are on the disk.
bool FlushStep(HANDLE file, const std::string& path);
// Renames from to to, a name that must be free.
bool MoveStep(const std::string& from, const std::string& to);
bool DeleteStep(const std::string& path);

// True when path names anything (a file, a folder, a link).
bool NameTaken(const std::string& path);
