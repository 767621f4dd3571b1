#include "payload/UZLIB.h"

#include "framework/core/ScopeGuard.h"

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

const char ContainerMagic[13] = {'Z', 'L', 'I', 'B', 'C', 'o', 'm', 'p', 'r', 'e', 's', 's', 0x1A};

namespace {

[[noreturn]] void RaiseZlibError()
{
    throw EDecompressionError(std::string("error"));
}

// The inflating reader: fills requests from the zlib stream that starts at the source's
// position when it is made. It keeps the source position after its last block read and seeks
// back to it when someone else moved the source in between.
class InflateReader {
public:
    explicit InflateReader(TStream& source) : source_(source), input_(kDecompressInputBlock)
    {
        std::memset(&zs_, 0, sizeof zs_);
        if (inflateInit(&zs_) != Z_OK)
            RaiseZlibError();
        position_ = source_.Position();
    }
    ~InflateReader() { inflateEnd(&zs_); }
    InflateReader(const InflateReader&) = delete;
    InflateReader& operator=(const InflateReader&) = delete;

    // Produces up to count bytes into buffer; fewer only when the source runs out.
    long Read(void* buffer, long count)
    {
        zs_.next_out = static_cast<Bytef*>(buffer);
        zs_.avail_out = static_cast<uInt>(count);
        Resync();
        while (zs_.avail_out > 0) {
            if (ended_)   // the zlib stream ended before the declared size
                RaiseZlibError();
            if (zs_.avail_in == 0 && !Refill())
                break;
            Inflate();
        }
        return count - static_cast<long>(zs_.avail_out);
    }

    // After the declared size: lets inflate run over what follows, without output, so that a
    // stream that ends there has its end and Adler-32 checked. A stream that goes on producing
    // bytes holds more than declared; the rest is ignored.
    void Finish()
    {
        Resync();
        unsigned char scratch = 0;
        while (!ended_) {
            if (zs_.avail_in == 0 && !Refill())
                RaiseReadError();   // the source ran out before the stream's end
            zs_.next_out = &scratch;
            zs_.avail_out = 1;
            Inflate();
            if (zs_.avail_out == 0)
                return;
        }
    }

private:
    void Resync()
    {
        if (source_.Position() != position_)
            source_.SetPosition(position_);
    }

    bool Refill()
    {
        long n = source_.Read(input_.data(), kDecompressInputBlock);
        if (n <= 0)
            return false;
        position_ = source_.Position();
        zs_.next_in = input_.data();
        zs_.avail_in = static_cast<uInt>(n);
        return true;
    }

    void Inflate()
    {
        int ret = inflate(&zs_, Z_NO_FLUSH);
        if (ret == Z_STREAM_END)
            ended_ = true;
        else if (ret != Z_OK)   // negative codes, and Z_NEED_DICT: no dictionary exists here
            RaiseZlibError();
    }

    TStream& source_;
    std::vector<Bytef> input_;
    z_stream zs_;
    long position_ = 0;
    bool ended_ = false;
};

} // namespace

bool ReadContainerHeader(TStream& source, long& size)
{
    // Back to the start unless a whole header was read, then to just past it; also on errors.
    long position = source.Position();
    TScopeExit restore([&source, &position] { source.SetPosition(position); });
    bool found = false;
    {
        char magic[kContainerMagicSize + 1] = {};
        if (source.Read(magic, kContainerMagicSize) == kContainerMagicSize
            && std::strlen(magic) == static_cast<size_t>(kContainerMagicSize)
            && std::memcmp(magic, ContainerMagic, kContainerMagicSize) == 0) {
            unsigned char field[4] = {};
            if (source.Read(field, 4) == 4) {   // a size field cut short: not a container
                std::uint32_t value = field[0] | field[1] << 8 | field[2] << 16
                                      | static_cast<std::uint32_t>(field[3]) << 24;
                size = static_cast<long>(static_cast<std::int32_t>(value));
                position = source.Position();
                found = true;
            }
        }
    }
    return found;
}

void DecompressContainer(TStream& source, TStream& dest, long count)
{
    if (count < 0)
        RaiseZlibError();
    if (count == 0)
        return;
    InflateReader reader(source);
    std::vector<char> chunk(std::min(count, kDecompressChunk));
    long remaining = count;
    while (remaining > 0) {
        long n = std::min(remaining, kDecompressChunk);
        if (reader.Read(chunk.data(), n) != n)
            RaiseReadError();
        if (n == remaining)
            reader.Finish();
        dest.WriteBuffer(chunk.data(), n);
        remaining -= n;
    }
}

void DecompressBlock(const void* source, long sourceSize, void* dest, long count)
{
    if (count < 0 || sourceSize < 0)
        RaiseZlibError();
    if (count == 0)
        return;
    z_stream zs;
    std::memset(&zs, 0, sizeof zs);
    if (inflateInit(&zs) != Z_OK)
        RaiseZlibError();
    TScopeExit end([&zs] { inflateEnd(&zs); });
    zs.next_in = static_cast<Bytef*>(const_cast<void*>(source));
    zs.avail_in = static_cast<uInt>(sourceSize);
    zs.next_out = static_cast<Bytef*>(dest);
    zs.avail_out = static_cast<uInt>(count);
    // One call over the whole block: zlib then keeps no window copy of what it produced.
    int ret = inflate(&zs, Z_FINISH);
    if (ret == Z_STREAM_END) {
        if (zs.avail_out != 0)   // the zlib stream ended before the declared size
            RaiseZlibError();
        return;
    }
    if (ret != Z_BUF_ERROR && ret != Z_OK)
        RaiseZlibError();
    if (zs.avail_out != 0)   // the source ran out before count bytes
        RaiseReadError();
    // count bytes are out and the stream goes on: as DecompressContainer, let it reach its end
    // (and its Adler-32) if it ends here; one more byte means it simply holds more.
    if (zs.avail_in == 0)   // nothing left to show where the stream ends
        RaiseReadError();
    unsigned char scratch = 0;
    zs.next_out = &scratch;
    zs.avail_out = 1;
    ret = inflate(&zs, Z_FINISH);
    if (ret != Z_STREAM_END && ret != Z_BUF_ERROR && ret != Z_OK)
        RaiseZlibError();
    if (ret != Z_STREAM_END && zs.avail_out != 0)   // the source ran out before the end
        RaiseReadError();
}

void ReadResourcePayload(TMemoryStream& dest, HMODULE module, const char* name, const char* type)
{
    TResourceStream resource(module, name, type);
    long size = 0;
    if (!ReadContainerHeader(resource, size)) {
        dest.CopyFrom(resource, 0);
        return;
    }
    // Sized once to the file: growing it while decoding would move it again and again.
    const long at = dest.Position();
    dest.SetSize(at + size);
    const long stream = resource.Position();
    DecompressBlock(static_cast<const char*>(resource.Memory()) + stream,
                    resource.Size() - stream, static_cast<char*>(dest.Memory()) + at, size);
    dest.SetPosition(at + size);
}
