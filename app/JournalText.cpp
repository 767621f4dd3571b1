#include "app/JournalText.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <set>

const char kStagedPrefix[] = "ZA2N";
const char kBackupPrefix[] = "ZA2B";
const char kTempSuffix[] = ".TMP";

namespace {

const char kFirstLine[] = "ZA2UPDATE JOURNAL 1";
const char kLastLine[] = "END";
const char kLineEnd[] = "\r\n";
const char kSeparator = ' ';
const size_t kTempDigits = 4;

// The lines of text, each ended by CR LF; false when the text does not end in one.
bool SplitLines(const std::string& text, std::vector<std::string>& lines)
{
    size_t at = 0;
    while (at < text.size()) {
        const size_t end = text.find(kLineEnd, at);
        if (end == std::string::npos)
            return false;
        lines.push_back(text.substr(at, end - at));
        at = end + std::strlen(kLineEnd);
    }
    return true;
}

bool IsTempName(const std::string& name, const char* prefix)
{
    const size_t prefixSize = std::strlen(prefix);
    const size_t digitsEnd = prefixSize + kTempDigits;
    if (name.size() != digitsEnd + std::strlen(kTempSuffix) || name.compare(0, prefixSize, prefix)
        || name.compare(digitsEnd, std::string::npos, kTempSuffix))
        return false;
    return std::all_of(name.begin() + prefixSize, name.begin() + digitsEnd, [](char c) {
        return std::isdigit(static_cast<unsigned char>(c)) || (c >= 'A' && c <= 'F');
    });
}

// One entry line, its names checked against the lists and against the names already used.
bool ParseEntry(const std::string& line, const std::vector<std::string>& targets,
                std::set<std::string>& used, TJournalEntry& entry)
{
    const size_t first = line.find(kSeparator);
    const size_t second = first == std::string::npos ? first : line.find(kSeparator, first + 1);
    if (second == std::string::npos)
        return false;
    entry.target = line.substr(0, first);
    entry.staged = line.substr(first + 1, second - first - 1);
    entry.backup = line.substr(second + 1);
    const bool known = std::find(targets.begin(), targets.end(), entry.target) != targets.end()
                       && IsTempName(entry.staged, kStagedPrefix)
                       && IsTempName(entry.backup, kBackupPrefix);
    return known && used.insert(entry.target).second && used.insert(entry.staged).second
           && used.insert(entry.backup).second;
}

} // namespace

std::string JournalText(const std::vector<TJournalEntry>& entries)
{
    std::string text = std::string(kFirstLine) + kLineEnd;
    for (const TJournalEntry& entry : entries)
        text += entry.target + kSeparator + entry.staged + kSeparator + entry.backup + kLineEnd;
    return text + kLastLine + kLineEnd;
}

bool ParseJournalText(const std::string& text, const std::vector<std::string>& targets,
                      std::vector<TJournalEntry>& entries)
{
    std::vector<std::string> lines;
    if (!SplitLines(text, lines) || lines.size() < 2 || lines.front() != kFirstLine
        || lines.back() != kLastLine)
        return false;
    std::set<std::string> used;
    entries.assign(lines.size() - 2, TJournalEntry());
    for (size_t i = 0; i < entries.size(); ++i) {
        if (!ParseEntry(lines[i + 1], targets, used, entries[i]))
            return false;
    }
    return true;
}
