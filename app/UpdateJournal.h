#pragma once
// The journal of an update: a small file in the installation folder, there from before the first
// staged file is written until the last file of the updater's own is gone, so that the run after
// a crash or a power cut can make the installation whole again. For each target it names the
// staged file (the new contents until they are in place) and the backup (the replaced file while
// the swap is on). Its own name says how far the update has got:
//   ZA2UPD.NEW  being written; nothing else of the update exists yet;
//   ZA2UPD.JNL  no target has been touched yet, or the swap is over (finished or undone): the
//               updater's own files are of no use any more;
//   ZA2UPD.SWP  the swap is on: each target must first go back to its old file.
// It is written once under the first name, flushed and renamed; from then on it is only renamed,
// so after a crash it is complete or absent.
//
// A journal found in a folder is hostile input: the updater runs elevated, and anybody may be
// able to write into the folder. One that names anything but these targets and the updater's
// own temporary names, or that is not a plain file of sensible size, is refused untouched.
#include <string>
#include <vector>

// Names of files in the journal's folder, no paths.
struct TJournalEntry {
    std::string target;   // one of the update's files
    std::string staged;   // ZA2N####.TMP (four hex digits)
    std::string backup;   // ZA2B####.TMP
};

class TUpdateJournal {
public:
    // The journal of a new update of targets in folder, with free names for its files; not
    // written yet.
    static TUpdateJournal Plan(const std::string& folder, const std::vector<std::string>& targets);
    // The folder's journal; raises EFOpenError (its path) when it is not one that this updater
    // writes for these targets, and then nothing has been touched.
    static TUpdateJournal Read(const std::string& folder, const std::vector<std::string>& targets);
    // True when folder holds a journal (ZA2UPD.JNL or ZA2UPD.SWP).
    static bool Present(const std::string& folder);
    // Removes a journal whose writing was cut short (nothing else of its update exists);
    // raises EFCreateError (its path) when it is there and stays.
    static void RemoveDraft(const std::string& folder);

    const std::vector<TJournalEntry>& Entries() const { return entries_; }
    bool Swapping() const { return swapping_; }
    // The journal itself, under the name of its state.
    std::string Path() const;
    // The file of that name in the journal's folder.
    std::string FileOf(const std::string& name) const;

    // Writes the journal, complete and flushed, or leaves none: false when it cannot be made
    // (also when Plan found no free names), EWriteError when writing or flushing it fails.
    bool Write() const;
    bool BeginSwap();
    bool EndSwap();
    // Puts back every target of an unfinished swap by its renames reversed, so that after a
    // crash on the way it can simply be done again. The first target that could not be put
    // back, or an empty text.
    std::string UndoSwap() const;
    // Deletes the updater's own files that remain, then the journal (only when they are gone).
    // The first file that could not be deleted, or an empty text.
    std::string Discard() const;

private:
    TUpdateJournal(std::string folder, std::vector<TJournalEntry> entries, bool swapping);

    std::string folder_;
    std::vector<TJournalEntry> entries_;
    bool swapping_ = false;
};
