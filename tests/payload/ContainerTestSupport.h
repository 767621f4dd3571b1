#pragma once
// Helpers of the payload tests: containers made in the test with zlib, and streams that
// watch or misbehave.
#include "payload/UZLIB.h"
#include "framework/core/Stream.h"

#include <zlib.h>

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace payloadtest {

using Bytes = std::vector<unsigned char>;

// Messages of the three failures (narrow literals are CP932, as the string table delivers them).
inline const std::string kZlibErrorText = "error";
inline const std::string kReadErrorText = "ｽﾄﾘｰﾑからの読み込みｴﾗｰ";
inline const std::string kWriteErrorText = "ｽﾄﾘｰﾑへの書き込みｴﾗｰ";

// Deterministic test data: text-like with some noise (compresses about 3:1).
inline Bytes SampleData(size_t size, std::uint32_t seed = 1)
{
    static const char* const words[] = {"label ", "disc ", "ザンデラ2 ", "print ", "layout ",
                                        "\r\n", "frame ", "2.02 ", "jacket "};
    Bytes out;
    out.reserve(size);
    std::uint32_t state = seed;
    while (out.size() < size) {
        state = state * 1664525u + 1013904223u;
        if ((state >> 28) == 0) {
            out.push_back(static_cast<unsigned char>(state >> 8));
            continue;
        }
        const char* w = words[(state >> 16) % (sizeof words / sizeof words[0])];
        for (; *w && out.size() < size; ++w)
            out.push_back(static_cast<unsigned char>(*w));
    }
    return out;
}

inline Bytes ZlibStream(const Bytes& data, int level = Z_BEST_COMPRESSION)
{
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    Bytes out(size);
    if (compress2(out.data(), &size, data.data(), static_cast<uLong>(data.size()), level) != Z_OK)
        throw std::runtime_error("compress2 failed");
    out.resize(size);
    return out;
}

inline Bytes Header(std::int32_t declared)
{
    Bytes out(ContainerMagic, ContainerMagic + kContainerMagicSize);
    std::uint32_t v = static_cast<std::uint32_t>(declared);
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<unsigned char>(v >> (8 * i)));
    return out;
}

// A container of data; declared overrides the size field.
inline Bytes MakeContainer(const Bytes& data, int level = Z_BEST_COMPRESSION)
{
    Bytes out = Header(static_cast<std::int32_t>(data.size()));
    Bytes z = ZlibStream(data, level);
    out.insert(out.end(), z.begin(), z.end());
    return out;
}

inline Bytes WithDeclared(Bytes container, std::int32_t declared)
{
    Bytes h = Header(declared);
    std::copy(h.begin() + kContainerMagicSize, h.end(), container.begin() + kContainerMagicSize);
    return container;
}

// A read-only stream over bytes it does not own.
class BytesStream : public TCustomMemoryStream {
public:
    BytesStream(const void* data, long size) { SetPointer(const_cast<void*>(data), size); }
    explicit BytesStream(const Bytes& bytes)
        : BytesStream(bytes.data(), static_cast<long>(bytes.size())) {}
    long Write(const void*, long) override { return 0; }
};

// A memory stream filled with bytes, positioned at 0.
inline void Fill(TMemoryStream& stream, const Bytes& bytes)
{
    stream.SetSize(0);
    if (!bytes.empty())
        stream.WriteBuffer(bytes.data(), static_cast<long>(bytes.size()));
    stream.SetPosition(0);
}

inline Bytes Contents(TCustomMemoryStream& stream)
{
    const auto* p = static_cast<const unsigned char*>(stream.Memory());
    return Bytes(p, p + stream.Size());
}

// Passes everything to an inner stream and lets a test watch or change each call.
class HookStream : public TStream {
public:
    explicit HookStream(TStream& inner) : inner_(inner) {}
    long Read(void* buffer, long count) override
    {
        readRequests.push_back(count);
        if (onRead)
            onRead(readRequests.size());
        return inner_.Read(buffer, count);
    }
    long Write(const void* buffer, long count) override
    {
        writeRequests.push_back(count);
        if (onWrite)
            onWrite(writeRequests.size());
        if (writeLimit >= 0 && count > writeLimit)
            return inner_.Write(buffer, writeLimit);
        return inner_.Write(buffer, count);
    }
    long Seek(long offset, SeekOrigin origin) override { return inner_.Seek(offset, origin); }
    void SetSize(long size) override { inner_.SetSize(size); }

    std::vector<long> readRequests, writeRequests;
    std::function<void(size_t)> onRead, onWrite;   // called with the 1-based call number
    long writeLimit = -1;                          // >= 0: each write takes at most this much

private:
    TStream& inner_;
};

} // namespace payloadtest
