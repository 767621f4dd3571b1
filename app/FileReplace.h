#pragma once
// Replaces a set of files of one folder all together or not at all, and so that a crash or a
// power cut at any instant leaves what the next run makes whole (UpdateRecovery.h).
// Before the first new file is written, a journal (UpdateJournal.h) names every file the
// update will make. Each new file is written completely into a staged file beside its target,
// stamped through its own handle (StampFile, LocalFileTime.h) and flushed; only when every file
// is staged do they take their targets' places, each replaced file kept under its backup name
// until all are in. A failure at any point puts every target back as it was and leaves no file
// of the update's own behind; when even that cannot be finished, the journal stays for the next
// run.
#include "app/UpdateJournal.h"
#include "framework/core/DateTime.h"

#include <memory>
#include <string>
#include <vector>

class TStagedFiles {
public:
    // The files of folder that this set replaces, by name; nothing is written yet.
    TStagedFiles(std::string folder, std::vector<std::string> names);
    // Removes the files of the set's own (staged files, or the backups once all are in), then
    // its journal; all stay while a swap that could not be undone is on.
    ~TStagedFiles();
    TStagedFiles(const TStagedFiles&) = delete;
    TStagedFiles& operator=(const TStagedFiles&) = delete;

    // Writes the new contents of the named file beside it; stamp (local time), when given,
    // becomes its last-write time. Raises EFCreateError (the target's path) when the target is
    // held open or the file cannot be created, EWriteError when writing or flushing fails (disk
    // full). The target is not touched.
    void Stage(const std::string& name, const void* data, long size,
               const TDateTime* stamp = nullptr);
    // Puts every file in place (each must have been staged); on failure puts all back and raises
    // EFCreateError with the path that could not be replaced.
    void Commit();

private:
    void StartJournal(const std::string& target);
    void Swap();

    std::string folder_;
    std::vector<std::string> names_;
    std::vector<bool> staged_;
    std::unique_ptr<TUpdateJournal> journal_;
};

// The two reasons why a file cannot be replaced or removed, each found here only. The update
// run asks for both (the progress dialog's CheckWritable, then Stage), and so does the recovery
// of an interrupted update (UpdateRecovery.cpp) for every file it will touch.
// True when path names something with the read-only attribute.
bool IsReadOnly(const std::string& path);
// Raises EFCreateError (target) when the file is there but held open by another program.
void RequireReplaceable(const std::string& target);
