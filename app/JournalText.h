#pragma once
// The text of an update's journal: a first line that names the format, one line a target (its
// name, its staged file's name, its backup's name, separated by one space), and a last line
// "END"; every line ends in CR LF. Read back, it is hostile input (see UpdateJournal.h).
#include "app/UpdateJournal.h"

#include <string>
#include <vector>

// The updater's own temporary names: a prefix, four upper-case hex digits and the suffix, 8.3.
extern const char kStagedPrefix[];
extern const char kBackupPrefix[];
extern const char kTempSuffix[];

std::string JournalText(const std::vector<TJournalEntry>& entries);
// True when text is a whole journal whose every target is one of targets (each at most once)
// and whose every other name is a temporary name of the updater's own (each at most once).
// Anything else (a path, "..", a device, another file, a trailing dot or space, a cut text) is
// false.
bool ParseJournalText(const std::string& text, const std::vector<std::string>& targets,
                      std::vector<TJournalEntry>& entries);
