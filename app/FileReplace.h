#pragma once
// Replaces a set of files all together or not at all. Each new file is first written completely
// into a temporary file beside its target (flushed, and stamped through its own handle); only
// when every file is staged do they take their targets' places, each replaced file kept under a
// temporary backup name until all are in. A failure at any point puts every target back as it
// was and leaves no temporary file behind.
#include <windows.h>

#include <string>
#include <vector>

class TStagedFiles {
public:
    TStagedFiles() = default;
    // Removes the staged files that were not put in place, and the backups once all were.
    ~TStagedFiles();
    TStagedFiles(const TStagedFiles&) = delete;
    TStagedFiles& operator=(const TStagedFiles&) = delete;

    // Writes the new contents of target beside it; stamp (UTC), when given, becomes its
    // last-write time. Raises EFCreateError (target) when the target is held open or the file
    // cannot be created, EWriteError when writing fails (disk full). The target is not touched.
    void Stage(const std::string& target, const void* data, long size,
               const FILETIME* stamp = nullptr);
    // Puts every staged file in place; on failure rolls all back and raises EFCreateError with
    // the target that could not be replaced.
    void Commit();

private:
    struct TEntry {
        std::string target;
        std::string staged;   // empty once moved into place
        std::string backup;   // the replaced file while the swap is on; empty when none
        bool placed = false;
    };
    bool PutInPlace(TEntry& entry);
    void RollBack();

    std::vector<TEntry> entries_;
    bool committed_ = false;
};

// One file replaced as a whole (a set of one).
void ReplaceFileContents(const std::string& path, const void* data, long size);
