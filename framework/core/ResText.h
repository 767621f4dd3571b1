#pragma once
// Texts of the program's string table, delivered as CP932 by the ANSI functions.
#include <initializer_list>
#include <string>

// The string-table entry, read at each call (empty when missing).
std::string LoadResText(unsigned id);

// Replaces each "%s" of format in order by the next argument; "%%" stands for "%".
// A placeholder without an argument stays as it is.
std::string FormatText(const std::string& format, std::initializer_list<std::string> args);

// The entry formatted with FormatText.
std::string FormatResText(unsigned id, std::initializer_list<std::string> args);
