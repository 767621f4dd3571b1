#include "framework/core/Stream.h"

#include "framework/core/Exception.h"
#include "framework/core/FrameworkStrings.h"
#include "framework/core/ImageSize.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

// ---- TStream ----

TStream::~TStream() = default;

void TStream::SetSize(long)
{
    throw EStreamError(SWriteError);
}

long TStream::Size()
{
    long position = Seek(0, SeekOrigin::Current);
    long size = Seek(0, SeekOrigin::End);
    Seek(position, SeekOrigin::Begin);
    return size;
}

void TStream::ReadBuffer(void* buffer, long count)
{
    if (count != 0 && Read(buffer, count) != count)
        RaiseReadError();
}

void TStream::WriteBuffer(const void* buffer, long count)
{
    if (count != 0 && Write(buffer, count) != count)
        RaiseWriteError();
}

long TStream::CopyFrom(TStream& source, long count)
{
    if (count == 0) {
        source.SetPosition(0);
        count = source.Size();
    }
    const long total = count;
    std::vector<char> buffer(std::min(count, kCopyChunk));
    while (count > 0) {
        long n = std::min(count, kCopyChunk);
        source.ReadBuffer(buffer.data(), n);
        WriteBuffer(buffer.data(), n);
        count -= n;
    }
    return total;
}

// ---- THandleStream / TFileStream ----

long THandleStream::Read(void* buffer, long count)
{
    DWORD done = 0;
    if (count <= 0 || !ReadFile(handle_, buffer, count, &done, nullptr))
        return 0;
    return static_cast<long>(done);
}

long THandleStream::Write(const void* buffer, long count)
{
    DWORD done = 0;
    if (count <= 0 || !WriteFile(handle_, buffer, count, &done, nullptr))
        return 0;
    return static_cast<long>(done);
}

long THandleStream::Seek(long offset, SeekOrigin origin)
{
    DWORD method = origin == SeekOrigin::Begin ? FILE_BEGIN
                 : origin == SeekOrigin::Current ? FILE_CURRENT : FILE_END;
    return static_cast<long>(SetFilePointer(handle_, offset, nullptr, method));
}

void THandleStream::SetSize(long newSize)
{
    Seek(newSize, SeekOrigin::Begin);
    if (!SetEndOfFile(handle_))
        RaiseWriteError();
}

namespace {

HANDLE OpenFileHandle(const std::string& path, TFileStream::Mode mode)
{
    switch (mode) {
    case TFileStream::Mode::Create:
        return CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    case TFileStream::Mode::OpenRead:
        return CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    case TFileStream::Mode::OpenReadWrite:
        break;
    }
    return CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

} // namespace

TFileStream::TFileStream(const std::string& path, Mode mode)
    : THandleStream(OpenFileHandle(path, mode)), path_(path), file_(handle_)
{
    if (handle_ == INVALID_HANDLE_VALUE) {
        if (mode == Mode::Create)
            throw EFCreateError(SFCreateError, {path});
        throw EFOpenError(SFOpenError, {path});
    }
}

// ---- TCustomMemoryStream ----

void TCustomMemoryStream::SetPointer(void* memory, long size)
{
    memory_ = memory;
    size_ = size;
}

long TCustomMemoryStream::Read(void* buffer, long count)
{
    if (position_ < 0 || count <= 0)
        return 0;
    long n = std::min(count, size_ - position_);
    if (n <= 0)
        return 0;
    std::memcpy(buffer, static_cast<const char*>(memory_) + position_, n);
    position_ += n;
    return n;
}

long TCustomMemoryStream::Seek(long offset, SeekOrigin origin)
{
    switch (origin) {
    case SeekOrigin::Begin: position_ = offset; break;
    case SeekOrigin::Current: position_ += offset; break;
    case SeekOrigin::End: position_ = size_ + offset; break;
    }
    return position_;
}

void TCustomMemoryStream::SaveToStream(TStream& dest)
{
    dest.WriteBuffer(memory_, size_);
}

void TCustomMemoryStream::SaveToFile(const std::string& path)
{
    TFileStream file(path, TFileStream::Mode::Create);
    SaveToStream(file);
}

// ---- TMemoryStream ----

void* TMemoryStream::Realloc(long& newCapacity)
{
    if (newCapacity > 0) {
        // Rounded in 64 bits: a capacity near the 32-bit limit must fail, not wrap.
        const TByteCount rounded =
            SizeSum(newCapacity, kMemoryDelta - 1) / kMemoryDelta * kMemoryDelta;
        if (rounded > static_cast<TByteCount>(LONG_MAX))
            throw EOutOfStreamMemory(SMemoryStreamError);
        newCapacity = static_cast<long>(rounded);
    }
    if (newCapacity == capacity_)
        return Memory();
    if (newCapacity == 0) {
        lock_.Close();
        block_.Close();
        return nullptr;
    }
    if (!block_) {
        TOwnedGlobal block(GlobalAlloc(GMEM_MOVEABLE, newCapacity));
        TGlobalLock lock = LockGlobal(block.Get());
        if (!lock)
            throw EOutOfStreamMemory(SMemoryStreamError);
        block_ = std::move(block);
        lock_ = std::move(lock);
        return lock_.Get();
    }
    // A locked block cannot move: unlocked for the resize, locked again (as it was, when the
    // resize fails).
    lock_.Close();
    HGLOBAL resized = GlobalReAlloc(block_.Get(), newCapacity, GMEM_MOVEABLE);
    if (resized) {
        block_.Release();   // the resize has taken the old handle over
        block_.Reset(resized);
    }
    lock_ = LockGlobal(block_.Get());
    if (!resized || !lock_)
        throw EOutOfStreamMemory(SMemoryStreamError);
    return lock_.Get();
}

HGLOBAL TMemoryStream::ReleaseBlock()
{
    lock_.Close();
    SetPointer(nullptr, 0);
    capacity_ = 0;
    position_ = 0;
    return block_.Release();
}

void TMemoryStream::SetCapacity(long newCapacity)
{
    SetPointer(Realloc(newCapacity), size_);
    capacity_ = newCapacity;
}

long TMemoryStream::Write(const void* buffer, long count)
{
    if (position_ < 0 || count <= 0)
        return 0;
    if (SizeSum(position_, count) > static_cast<TByteCount>(LONG_MAX))
        throw EOutOfStreamMemory(SMemoryStreamError);
    long end = position_ + count;
    if (end > size_) {
        if (end > capacity_)
            SetCapacity(end);
        size_ = end;
    }
    std::memcpy(static_cast<char*>(Memory()) + position_, buffer, count);
    position_ = end;
    return count;
}

void TMemoryStream::SetSize(long newSize)
{
    long oldPosition = position_;
    SetCapacity(newSize);
    size_ = newSize;
    if (oldPosition > newSize)
        Seek(0, SeekOrigin::End);
}

void TMemoryStream::Clear()
{
    SetCapacity(0);
    size_ = 0;
    position_ = 0;
}

void TMemoryStream::LoadFromStream(TStream& source)
{
    source.SetPosition(0);
    long count = source.Size();
    SetSize(count);
    if (count != 0)
        source.ReadBuffer(Memory(), count);
}

void TMemoryStream::LoadFromFile(const std::string& path)
{
    TFileStream file(path, TFileStream::Mode::OpenRead);
    LoadFromStream(file);
}

// ---- TResourceStream ----

std::string ResourceIdText(const char* id)
{
    if (IS_INTRESOURCE(id))
        return "#" + std::to_string(reinterpret_cast<ULONG_PTR>(id));
    return id;
}

namespace {

HRSRC FindModuleResource(HMODULE instance, const char* name, const char* type)
{
    HRSRC info = FindResourceA(instance, name, type);
    if (!info)
        throw EResNotFound(SResNotFound, {ResourceIdText(name)});
    return info;
}

} // namespace

TResourceStream::TResourceStream(HMODULE instance, const char* name, const char* type)
{
    HRSRC info = FindModuleResource(instance, name, type);
    HGLOBAL data = LoadResource(instance, info);
    if (!data)
        throw EResNotFound(SResNotFound, {ResourceIdText(name)});
    SetPointer(LockResource(data), static_cast<long>(SizeofResource(instance, info)));
}

long TResourceStream::Write(const void*, long)
{
    throw EStreamError(SWriteError);
}
