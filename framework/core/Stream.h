#pragma once
// Streams: sequential byte sources and sinks with a position. Sizes and positions are 32-bit,
// as everywhere in this program.
#include "framework/core/FileHandle.h"
#include "framework/core/GlobalMemory.h"

#include <windows.h>

#include <string>

enum class SeekOrigin { Begin, Current, End };

class TStream {
public:
    virtual ~TStream();

    // Raw operations: they transfer what they can and return the byte count.
    virtual long Read(void* buffer, long count) = 0;
    virtual long Write(const void* buffer, long count) = 0;
    virtual long Seek(long offset, SeekOrigin origin) = 0;
    virtual void SetSize(long newSize);

    long Position() { return Seek(0, SeekOrigin::Current); }
    void SetPosition(long position) { Seek(position, SeekOrigin::Begin); }
    long Size();

    // Checked operations: a short transfer raises EReadError / EWriteError.
    void ReadBuffer(void* buffer, long count);
    void WriteBuffer(const void* buffer, long count);

    // Copies count bytes from source's position; count 0 copies all of source from its start.
    // Moves at most kCopyChunk bytes at a time. Returns the bytes copied.
    long CopyFrom(TStream& source, long count);
    static constexpr long kCopyChunk = 61440;

protected:
    TStream() = default;
    TStream(const TStream&) = delete;
    TStream& operator=(const TStream&) = delete;
};

// A stream over a Win32 file handle it does not own.
class THandleStream : public TStream {
public:
    explicit THandleStream(HANDLE handle) : handle_(handle) {}
    long Read(void* buffer, long count) override;
    long Write(const void* buffer, long count) override;
    long Seek(long offset, SeekOrigin origin) override;
    void SetSize(long newSize) override;
    HANDLE Handle() const { return handle_; }

protected:
    HANDLE handle_;
};

// A file opened or created by name; the handle is closed with the stream.
class TFileStream : public THandleStream {
public:
    enum class Mode {
        Create,           // create or truncate, read and write, no sharing
        OpenRead,         // existing file, read, others may read
        OpenReadWrite,    // existing file, read and write, no sharing
    };
    TFileStream(const std::string& path, Mode mode);
    const std::string& FileName() const { return path_; }

private:
    std::string path_;
    TFileHandle file_;   // the base's handle, owned
};

// Bytes in memory with a position; the memory belongs to the derived class.
class TCustomMemoryStream : public TStream {
public:
    long Read(void* buffer, long count) override;
    long Seek(long offset, SeekOrigin origin) override;

    void* Memory() const { return memory_; }
    void SaveToStream(TStream& dest);
    void SaveToFile(const std::string& path);

protected:
    void SetPointer(void* memory, long size);
    long size_ = 0;
    long position_ = 0;

private:
    void* memory_ = nullptr;
};

// A growable memory stream. Its buffer is always locked moveable global memory, so that the
// buffer's handle can be handed to the clipboard (GlobalHandle of Memory()). The capacity grows
// in steps of kMemoryDelta bytes.
class TMemoryStream : public TCustomMemoryStream {
public:
    static constexpr long kMemoryDelta = 8192;

    TMemoryStream() = default;

    long Write(const void* buffer, long count) override;
    void SetSize(long newSize) override;

    void Clear();
    void LoadFromStream(TStream& source);
    void LoadFromFile(const std::string& path);
    long Capacity() const { return capacity_; }

protected:
    // Returns the buffer for newCapacity bytes (rounded up in place); raises
    // EOutOfStreamMemory when the memory cannot be had, leaving the stream as it was.
    virtual void* Realloc(long& newCapacity);
    void SetCapacity(long newCapacity);
    // Hands the buffer's block over, unlocked (0 when there is none); the stream is empty.
    HGLOBAL ReleaseBlock();

private:
    long capacity_ = 0;
    TOwnedGlobal block_;   // the buffer, locked by lock_ while the stream holds it
    TGlobalLock lock_;
};

// A read-only stream over a resource of a module, read in place from the loaded image.
class TResourceStream : public TCustomMemoryStream {
public:
    // name and type may be MAKEINTRESOURCE values. A missing resource raises EResNotFound.
    TResourceStream(HMODULE instance, const char* name, const char* type);
    long Write(const void* buffer, long count) override;
};

// Text of a resource name or type as it is shown in messages ("#10" for an ordinal).
std::string ResourceIdText(const char* id);
