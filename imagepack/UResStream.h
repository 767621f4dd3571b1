#pragma once
// The stream of one resource, read from a resource file (the 32-bit .res format) when that file
// exists, otherwise from the running program's own resources. Callers see the same bytes either
// way.
#include "framework/core/Stream.h"

#include <windows.h>

#include <memory>
#include <string>

class TResStream : public TStream {
public:
    // path may be empty (module resources only); type is an ordinal (MAKEINTRESOURCE, such as
    // RT_BITMAP) or a type name. A missing resource raises EResNotFound naming the resource; a
    // damaged resource file raises EReadError.
    TResStream(const std::string& path, const std::string& name, const char* type);
    ~TResStream() override;

    long Read(void* buffer, long count) override;
    // A module resource refuses writing; a resource read from a file is an in-memory copy.
    long Write(const void* buffer, long count) override;
    long Seek(long offset, SeekOrigin origin) override;

private:
    std::unique_ptr<TStream> stream_;
};

// Copies the data of the first entry of the resource file at path that matches type and name
// into dest. EResNotFound when none matches; EReadError for a damaged file.
void ReadResourceFromFile(TMemoryStream& dest, const std::string& path, const char* type,
                          const std::string& name);

// Reads one Type or Name field of a resource file entry and tells whether it is id (an ordinal,
// or a text compared without case). After a match the stream is just past the field.
bool MatchResourceId(TStream& file, const char* id);

// n rounded up to a multiple of 4: entries and their data are DWORD-aligned.
constexpr unsigned long long RoundUp4(unsigned long long n)
{
    return (n + 3) & ~3ull;
}
