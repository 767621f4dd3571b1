#pragma once
// Device-independent bitmaps inside metafile records (blits, pattern brushes): whether GDI can
// read one without reading past its record, and what its decoded pixels cost.
#include "framework/graphics/MetafileRecord.h"

// The header (with colour table) and the bits of one bitmap, as parts of a record.
struct TRecordBitmap {
    TRecordView info;
    TRecordView bits;
    DWORD usage;   // DIB_RGB_COLORS or DIB_PAL_COLORS
};

// Bytes of the bitmap's decoded pixels, or kSizeOverflow when the bitmap is not one GDI can read
// within its record: an unknown depth or compression, a colour table or rows past the data, or
// more pixels than the picture budget allows.
TByteCount RecordBitmapBytes(const TRecordBitmap& bitmap);

// The size of the header and colour table of a packed bitmap at the start of data (0 when it
// does not fit), for records that store the bits right after them.
size_t PackedBitmapInfoSize(const TRecordView& data, DWORD usage);
