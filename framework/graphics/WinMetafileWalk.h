#pragma once
// The check of a Windows metafile before GDI converts it: a sane header, then every record, each
// of a type a picture needs (an allow-list) with its object indexes inside the object table the
// header declares, no more objects alive than that table holds, and its counts, strings, points,
// regions and bitmaps inside the record. GDI plays these records as they stand.
#include <windows.h>

#include <cstddef>

// Whether data, exactly the metafile's bytes (header and records, mtSize words), may be played.
bool WinMetafilePlayable(const BYTE* data, size_t size);
