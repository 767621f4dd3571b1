#pragma once
// Memory streams as byte strings: filled to be read from the start, and read back whole.
#include <cstddef>
#include <string>

class TMemoryStream;

// The stream holds exactly these bytes and is positioned at 0.
void FillStream(TMemoryStream& stream, const void* data, size_t size);
void FillStream(TMemoryStream& stream, const std::string& bytes);
std::string StreamBytes(TMemoryStream& stream);
