#include "app/UpdateRecovery.h"

#include "app/AppStrings.h"
#include "app/FileReplace.h"
#include "app/FileSteps.h"
#include "app/UpdateJournal.h"
#include "framework/core/Exception.h"
#include "framework/core/FrameworkStrings.h"

namespace {

// A file that recovery will remove or rename: read-only or held open, it is reported by name.
void RequireRemovable(const std::string& path)
{
    if (IsReadOnly(path))
        throw EFCreateError(SReadOnlyFile, {path});
    RequireReplaceable(path);
}

// Every file the recovery will touch can be touched; found out before any is.
void RequireRecoverable(const TUpdateJournal& journal)
{
    for (const TJournalEntry& entry : journal.Entries()) {
        const std::string target = journal.FileOf(entry.target);
        const bool placed = journal.Swapping() && !NameTaken(journal.FileOf(entry.staged));
        // Moved aside but not yet replaced, a target's name is free; a file there now is none
        // of this update's.
        if (journal.Swapping() && !placed && NameTaken(journal.FileOf(entry.backup))
            && NameTaken(target))
            throw EFOpenError(SFOpenError, {journal.Path()});
        if (placed)
            RequireRemovable(target);
        RequireRemovable(journal.FileOf(entry.staged));
        RequireRemovable(journal.FileOf(entry.backup));
    }
}

} // namespace

void RecoverInterruptedUpdate(const std::string& folder, const std::vector<std::string>& names)
{
    TUpdateJournal::RemoveDraft(folder);
    if (!TUpdateJournal::Present(folder))
        return;
    TUpdateJournal journal = TUpdateJournal::Read(folder, names);
    RequireRecoverable(journal);
    std::string failed;
    if (journal.Swapping()) {
        failed = journal.UndoSwap();
        if (failed.empty() && !journal.EndSwap())
            failed = journal.Path();
    }
    if (failed.empty())
        failed = journal.Discard();
    if (!failed.empty())
        throw EFCreateError(SFCreateError, {failed});
}
