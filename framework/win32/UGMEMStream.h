#pragma once
// A memory stream whose bytes live in Windows global memory, the currency of the clipboard.
// Attached to a foreign handle it reads (and overwrites) that memory in place and never resizes
// it; created empty it grows like any memory stream and hands its block over by ReleaseHandle.
#include "framework/core/Exception.h"
#include "framework/core/Stream.h"

#include <windows.h>

ZA2_EXCEPTION_KIND(EGMEMStream, Exception);

class TGMEMStream : public TMemoryStream {
public:
    TGMEMStream() = default;
    // Reads the block of handle in place; the handle stays its owner's (and is unlocked when
    // the stream goes).
    explicit TGMEMStream(HGLOBAL handle);

    // The buffer's handle, unlocked, for the caller (or, when attached, back to its owner);
    // the stream is empty afterwards. 0 when the stream never had a buffer.
    HGLOBAL ReleaseHandle();
    bool Attached() const { return attached_; }

protected:
    void* Realloc(long& newCapacity) override;

private:
    bool attached_ = false;
    TGlobalLock attachedLock_;   // of the attached block
};
