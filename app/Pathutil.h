#pragma once
// Folder paths and their trailing backslash, safe for double-byte (Shift-JIS) names.
#include <string>

// True when the last character of text is the single-byte character ch.
bool EndsWithChar(const std::string& text, char ch);
std::string AddBackslash(const std::string& text);
// Removes one trailing backslash (C:\ gives C:).
std::string RemoveBackslash(const std::string& text);
std::string JoinPath(const std::string& folder, const std::string& name);
// True when path names an existing file (a folder does not count).
bool FileExists(const std::string& path);
