#include "support/StreamBytes.h"

#include "framework/core/Stream.h"

void FillStream(TMemoryStream& stream, const void* data, size_t size)
{
    stream.SetSize(0);
    if (size != 0)
        stream.WriteBuffer(data, static_cast<long>(size));
    stream.SetPosition(0);
}

void FillStream(TMemoryStream& stream, const std::string& bytes)
{
    FillStream(stream, bytes.data(), bytes.size());
}

std::string StreamBytes(TMemoryStream& stream)
{
    return std::string(static_cast<const char*>(stream.Memory()),
                       static_cast<size_t>(stream.Size()));
}
