#include "app/UpdateJournal.h"

#include "app/FileSteps.h"
#include "app/JournalText.h"
#include "app/Pathutil.h"
#include "framework/core/Exception.h"
#include "framework/core/FileHandle.h"
#include "framework/core/FrameworkStrings.h"
#include "framework/core/ScopeGuard.h"

#include <windows.h>

#include <cstdio>

namespace {

const char kDraftName[] = "ZA2UPD.NEW";
const char kIdleName[] = "ZA2UPD.JNL";
const char kSwapName[] = "ZA2UPD.SWP";

// A journal of this updater's four files takes about 200 bytes; anything much larger is not
// one, and is refused before it is read.
const DWORD kJournalSizeLimit = 4096;
// Temporary names carry four hex digits.
const unsigned kTempNumbers = 0x10000;

// A folder, a link or another reparse point is never a file of the updater's own.
bool IsPlainFile(DWORD attributes)
{
    return !(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT
                           | FILE_ATTRIBUTE_DEVICE));
}

// A name that is either free or a plain file.
bool FreeOrPlain(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes == INVALID_FILE_ATTRIBUTES || IsPlainFile(attributes);
}

// The journal's bytes; false when it is no plain file or larger than a journal can be.
bool ReadSmallFile(const std::string& path, std::string& text)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !IsPlainFile(attributes))
        return false;
    TFileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD high = 0;
    const DWORD size = file ? GetFileSize(file.Get(), &high) : INVALID_FILE_SIZE;
    if (size == INVALID_FILE_SIZE || high != 0 || size > kJournalSizeLimit)
        return false;
    text.assign(size, '\0');
    DWORD read = 0;
    return size == 0 || (ReadFile(file.Get(), &text[0], size, &read, nullptr) && read == size);
}

// False when the file cannot be made; raises EWriteError when writing or flushing it fails.
bool WriteNewFile(const std::string& path, const std::string& text)
{
    TFileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return false;
    DWORD written = 0;
    if (!WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr)
        || written != text.size() || !FlushStep(file.Get(), path) || !file.Close())
        RaiseWriteError();
    return true;
}

bool RemoveIfThere(const std::string& path)
{
    return !NameTaken(path) || DeleteStep(path);
}

std::string TempName(const char* prefix, unsigned number)
{
    char name[16];
    std::snprintf(name, sizeof name, "%s%04X%s", prefix, number, kTempSuffix);
    return name;
}

} // namespace

TUpdateJournal::TUpdateJournal(std::string folder, std::vector<TJournalEntry> entries,
                               bool swapping)
    : folder_(std::move(folder)), entries_(std::move(entries)), swapping_(swapping)
{
}

TUpdateJournal TUpdateJournal::Plan(const std::string& folder,
                                    const std::vector<std::string>& targets)
{
    TUpdateJournal journal(folder, {}, false);
    unsigned number = 0;
    for (const std::string& target : targets) {
        TJournalEntry entry{target, "", ""};
        // A number whose two names are both free; none left leaves the names empty, and the
        // journal cannot be written.
        for (; number < kTempNumbers && entry.staged.empty(); ++number) {
            const std::string staged = TempName(kStagedPrefix, number);
            const std::string backup = TempName(kBackupPrefix, number);
            if (!NameTaken(journal.FileOf(staged)) && !NameTaken(journal.FileOf(backup))) {
                entry.staged = staged;
                entry.backup = backup;
            }
        }
        journal.entries_.push_back(entry);
    }
    return journal;
}

TUpdateJournal TUpdateJournal::Read(const std::string& folder,
                                    const std::vector<std::string>& targets)
{
    const bool idle = NameTaken(JoinPath(folder, kIdleName));
    const bool swapping = NameTaken(JoinPath(folder, kSwapName));
    TUpdateJournal journal(folder, {}, swapping);
    std::string text;
    bool sound = !(idle && swapping) && ReadSmallFile(journal.Path(), text)
                 && ParseJournalText(text, targets, journal.entries_);
    for (const TJournalEntry& entry : journal.entries_) {
        for (const std::string& name : {entry.target, entry.staged, entry.backup})
            sound = sound && FreeOrPlain(journal.FileOf(name));
    }
    if (!sound)
        throw EFOpenError(SFOpenError, {journal.Path()});
    return journal;
}

bool TUpdateJournal::Present(const std::string& folder)
{
    return NameTaken(JoinPath(folder, kIdleName)) || NameTaken(JoinPath(folder, kSwapName));
}

void TUpdateJournal::RemoveDraft(const std::string& folder)
{
    const std::string draft = JoinPath(folder, kDraftName);
    if (!RemoveIfThere(draft))
        throw EFCreateError(SFCreateError, {draft});
}

std::string TUpdateJournal::Path() const
{
    return FileOf(swapping_ ? kSwapName : kIdleName);
}

std::string TUpdateJournal::FileOf(const std::string& name) const
{
    return JoinPath(folder_, name);
}

bool TUpdateJournal::Write() const
{
    for (const TJournalEntry& entry : entries_) {
        if (entry.staged.empty())
            return false;
    }
    const std::string draft = FileOf(kDraftName);
    if (!RemoveIfThere(draft))
        return false;
    TScopeExit removeDraft([&draft] { RemoveIfThere(draft); });
    if (!WriteNewFile(draft, JournalText(entries_)) || !MoveStep(draft, Path()))
        return false;
    removeDraft.Dismiss();
    return true;
}

bool TUpdateJournal::BeginSwap()
{
    if (!MoveStep(FileOf(kIdleName), FileOf(kSwapName)))
        return false;
    swapping_ = true;
    return true;
}

bool TUpdateJournal::EndSwap()
{
    if (!MoveStep(FileOf(kSwapName), FileOf(kIdleName)))
        return false;
    swapping_ = false;
    return true;
}

std::string TUpdateJournal::UndoSwap() const
{
    std::string failed;
    for (auto entry = entries_.rbegin(); entry != entries_.rend(); ++entry) {
        const std::string target = FileOf(entry->target);
        const std::string staged = FileOf(entry->staged);
        const std::string backup = FileOf(entry->backup);
        // The swap's two renames reversed: a target whose staged file has gone holds the new
        // contents, which go back to the staged name; then the old file takes the target's.
        const bool back = (NameTaken(staged) || !NameTaken(target) || MoveStep(target, staged))
                          && (!NameTaken(backup) || MoveStep(backup, target));
        if (!back && failed.empty())
            failed = target;
    }
    return failed;
}

std::string TUpdateJournal::Discard() const
{
    std::string failed;
    for (const TJournalEntry& entry : entries_) {
        for (const std::string& name : {entry.staged, entry.backup}) {
            const std::string path = FileOf(name);
            if (!RemoveIfThere(path) && failed.empty())
                failed = path;
        }
    }
    if (failed.empty() && !DeleteStep(Path()))
        failed = Path();
    return failed;
}
