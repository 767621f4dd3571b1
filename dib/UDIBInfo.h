#pragma once
// The header and colour table of a DIB, and the arithmetic of their sizes.
#include <windows.h>

// Header with room for the largest colour table: 40 + 256 * 4 = 1,064 bytes.
struct TDIBInfo {
    BITMAPINFOHEADER header;
    RGBQUAD colors[256];
};

// Entries of the colour table: biClrUsed, else the full table of a 1-, 4- or 8-bit image.
int DibColorCount(const BITMAPINFOHEADER& header);
// Header and colour table: by the header's own size (a 12-byte core header with 3-byte
// entries); no room is reckoned for masks after a 40-byte header.
int DibInfoSize(const BITMAPINFOHEADER& header);
