#include "framework/win32/UGMEMStream.h"

namespace {

const char kCannotRealloc[] = "should not realloc Global Handle";

} // namespace

TGMEMStream::TGMEMStream(HGLOBAL handle)
{
    // GlobalSize may exceed what was once asked for; readers take their length from the data.
    long size = static_cast<long>(GlobalSize(handle));
    attachedLock_ = LockGlobal(handle);
    // A handle that cannot be locked gives an empty stream that still refuses to grow, so
    // nothing is ever written into memory of our own in its name.
    SetPointer(attachedLock_.Get(), attachedLock_ ? size : 0);
    attached_ = true;
}

HGLOBAL TGMEMStream::ReleaseHandle()
{
    if (!attached_)
        return ReleaseBlock();
    // Cleared first, so that the clearing below is not refused.
    attached_ = false;
    HGLOBAL handle = attachedLock_ ? GlobalHandle(attachedLock_.Get()) : nullptr;
    attachedLock_.Close();
    SetPointer(nullptr, 0);
    Clear();
    return handle;
}

void* TGMEMStream::Realloc(long& newCapacity)
{
    if (attached_)
        throw EGMEMStream(kCannotRealloc);
    return TMemoryStream::Realloc(newCapacity);
}
