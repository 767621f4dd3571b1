#include "framework/win32/UGMEMStream.h"

namespace {

const char kCannotRealloc[] = "should not realloc Global Handle";

} // namespace

TGMEMStream::TGMEMStream(HGLOBAL handle)
{
    // GlobalSize may exceed what was once asked for; readers take their length from the data.
    long size = static_cast<long>(GlobalSize(handle));
    void* memory = GlobalLock(handle);
    // A handle that cannot be locked gives an empty stream that still refuses to grow, so
    // nothing is ever written into memory of our own in its name.
    SetPointer(memory, memory ? size : 0);
    attached_ = true;
}

TGMEMStream::~TGMEMStream()
{
    if (attached_)
        ReleaseHandle();
}

HGLOBAL TGMEMStream::ReleaseHandle()
{
    // Cleared first, so that the clearing below is not refused.
    attached_ = false;
    void* memory = Memory();
    HGLOBAL handle = memory ? GlobalHandle(memory) : nullptr;
    if (handle)
        GlobalUnlock(handle);
    SetPointer(nullptr, 0);
    ForgetCapacity();
    Clear();
    return handle;
}

void* TGMEMStream::Realloc(long& newCapacity)
{
    if (attached_)
        throw EGMEMStream(kCannotRealloc);
    return TMemoryStream::Realloc(newCapacity);
}
