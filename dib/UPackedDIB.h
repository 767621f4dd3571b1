#pragma once
// The header of a packed DIB (header, colour table, pixels back to back) as TDIBitmap reads it.
//
// Accepted: a 12-byte core header; a 40-byte info header, followed by the three masks for
// BI_BITFIELDS; the longer version 4 and 5 headers (masks inside, colour-space data ignored).
// 1, 4, 8, 16, 24 and 32 bits with BI_RGB, BI_RLE8 (8 bits), BI_RLE4 (4 bits) or BI_BITFIELDS
// (16 and 32 bits). Bitfield images whose masks are not those of plain 16- or 32-bit rows are
// converted to 32-bit BI_RGB rows while their pixels are read, so a section of any platform can
// hold them and they are written back as plain rows.
//
// Anything else, nonzero masks missing, more than 256 colours, or a section beyond the decoded
// image budget is an invalid image; pixel data the stream cannot hold is a read error. Both are
// found before a section is made.
#include "dib/UDIBInfo.h"

#include <windows.h>

class TStream;

struct TPackedDIB {
    // What CreateDIBSection gets: a 40-byte header (or the core header as read) and its table.
    TDIBInfo info;
    // The pixel data as stored.
    DWORD compression = BI_RGB;
    int sourceDepth = 0;
    DWORD masks[3] = {};   // BI_BITFIELDS images that are converted

    bool Converts() const { return compression == BI_BITFIELDS; }
};

// Reads header and colour table; the stream is left at the pixels.
void ReadPackedDIBHeader(TStream& stream, TPackedDIB& dib);
// Reads the bitfield pixels of dib into a 32-bit BI_RGB section of the same size and row order.
void ReadBitfieldPixels(TStream& stream, const TPackedDIB& dib, void* bits);
