#pragma once
// The check of an enhanced metafile before GDI gets it: a sane header, then every record, each of
// a type a picture needs (an allow-list) and with its indexes, counts, offsets and coordinates
// within its record, the handle table and the picture's reach. GDI plays records as they stand.
#include <windows.h>

#include <cstddef>

// Whether data, exactly the metafile's bytes (the header's nBytes), may be played.
bool EnhMetafilePlayable(const BYTE* data, size_t size);
