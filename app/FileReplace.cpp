#include "app/FileReplace.h"

#include "app/FileSteps.h"
#include "app/LocalFileTime.h"
#include "app/Pathutil.h"
#include "framework/core/Exception.h"
#include "framework/core/FileHandle.h"
#include "framework/core/FrameworkStrings.h"

#include <algorithm>

namespace {

[[noreturn]] void RaiseCreateError(const std::string& path)
{
    throw EFCreateError(SFCreateError, {path});
}

// The staged file's name was found free, so it is made new: anything that took the name since
// is not written through.
void WriteWhole(const std::string& path, const void* data, long size, const TDateTime* stamp,
                const std::string& target)
{
    TFileHandle file(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                 CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        RaiseCreateError(target);
    DWORD written = 0;
    if (size > 0 && (!WriteFile(file.Get(), data, size, &written, nullptr)
                     || written != static_cast<DWORD>(size)))
        RaiseWriteError();
    // A stamp that cannot be set leaves the time of writing; that is not worth a failure.
    if (stamp)
        StampFile(file.Get(), *stamp);
    // On the disk, stamp and all, before the swap begins; data still buffered may also fail to
    // reach a full disk only now.
    if (!FlushStep(file.Get(), path))
        RaiseWriteError();
    if (!file.Close())
        RaiseWriteError();
}

} // namespace

bool IsReadOnly(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

void RequireReplaceable(const std::string& target)
{
    TFileHandle probe(CreateFileA(target.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!probe && GetLastError() != ERROR_FILE_NOT_FOUND)
        RaiseCreateError(target);
}

TStagedFiles::TStagedFiles(std::string folder, std::vector<std::string> names)
    : folder_(std::move(folder)), names_(std::move(names)), staged_(names_.size(), false)
{
}

TStagedFiles::~TStagedFiles()
{
    if (journal_ && !journal_->Swapping())
        journal_->Discard();
}

void TStagedFiles::Stage(const std::string& name, const void* data, long size,
                         const TDateTime* stamp)
{
    const std::string target = JoinPath(folder_, name);
    RequireReplaceable(target);
    const auto at = std::find(names_.begin(), names_.end(), name);
    if (at == names_.end())
        RaiseCreateError(target);
    if (!journal_)
        StartJournal(target);
    const size_t index = static_cast<size_t>(at - names_.begin());
    WriteWhole(journal_->FileOf(journal_->Entries()[index].staged), data, size, stamp, target);
    staged_[index] = true;
}

// Before the first staged file: the journal names every file the set will make.
void TStagedFiles::StartJournal(const std::string& target)
{
    // An interrupted update is made whole first (by the folder dialog); never two at once.
    if (TUpdateJournal::Present(folder_))
        RaiseCreateError(target);
    auto journal = std::make_unique<TUpdateJournal>(TUpdateJournal::Plan(folder_, names_));
    if (!journal->Write())
        RaiseCreateError(target);
    journal_ = std::move(journal);
}

void TStagedFiles::Commit()
{
    for (size_t i = 0; i < names_.size(); ++i) {
        if (!staged_[i])
            RaiseCreateError(JoinPath(folder_, names_[i]));
    }
    if (!journal_)
        return;
    if (!journal_->BeginSwap())
        RaiseCreateError(journal_->Path());
    Swap();
}

void TStagedFiles::Swap()
{
    std::string failed;
    for (const TJournalEntry& entry : journal_->Entries()) {
        const std::string target = journal_->FileOf(entry.target);
        const bool in = (!NameTaken(target) || MoveStep(target, journal_->FileOf(entry.backup)))
                        && MoveStep(journal_->FileOf(entry.staged), target);
        if (!in) {
            failed = target;
            break;
        }
    }
    // The journal's new name is the moment the update stands.
    if (failed.empty() && journal_->EndSwap())
        return;
    if (failed.empty())
        failed = journal_->Path();
    // A target that cannot be put back keeps the swap on, journal and all, for the next run.
    if (journal_->UndoSwap().empty())
        journal_->EndSwap();
    RaiseCreateError(failed);
}
