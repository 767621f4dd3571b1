#pragma once
// Character boundaries of ANSI text: under a double-byte code page (932) a lead byte and the byte
// after it are one character, and the second byte may look like '\' or any other ASCII byte.
#include <cstddef>
#include <string>

// Byte count of the character that starts at pos (1 or 2; 1 for a lead byte at the very end).
std::size_t CharByteCount(const std::string& text, std::size_t pos);

// Offset of the last character's first byte; text must not be empty.
std::size_t LastCharStart(const std::string& text);

// The longest prefix of at most maxBytes bytes that ends on a character boundary.
std::string CutAtCharBoundary(const std::string& text, std::size_t maxBytes);
