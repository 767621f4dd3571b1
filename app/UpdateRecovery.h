#pragma once
// The run after a crash or a power cut in the middle of an update: the folder's journal
// (UpdateJournal.h) says which files the update had made and how far it had got.
#include <string>
#include <vector>

// Puts a folder left by an interrupted update of the named files back into a whole state:
// before its swap had finished, every file goes back to its old contents; after, the new files
// stay. Every file of the update's own is removed, the journal last. A journal that this updater
// cannot have written for these names raises EFOpenError (its path); a file to be removed or
// renamed that is read-only or held open raises EFCreateError naming it; either before
// anything is touched, and the journal stays. A folder without a journal is left as it is.
void RecoverInterruptedUpdate(const std::string& folder, const std::vector<std::string>& names);
