#pragma once
// The program's message boxes; both carry the application title as caption.
#include <string>

// The application title, read at each call.
std::string MessageCaption();
// Failures and refusals: exclamation icon, OK button.
void WarningBox(const std::string& text);
// The success message: no icon, OK button.
void NoticeBox(const std::string& text);
