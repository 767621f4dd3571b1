#pragma once
// Unit UZLIB: the payload container and its decoder.
//
// Container, integers little-endian:
//   offset 0   13 bytes  ContainerMagic: "ZLIBCompress" followed by 0x1A
//   offset 13   4 bytes  uncompressed size, signed 32-bit
//   offset 17   rest     one zlib stream (RFC 1950: 2-byte header, deflate data, Adler-32)
//
// A container in a stream (the compressed-bitmap loader's pattern):
//   long size;
//   if (ReadContainerHeader(source, size)) {
//       TMemoryStream temp;
//       temp.SetSize(size);                       // allocated once
//       DecompressContainer(source, temp, size);
//       temp.SetPosition(0);
//       ...
//   }
// A container that lies in the program's resources (the update run's payload) is decoded in
// place, in one pass, by ReadResourcePayload.
#include "framework/core/Exception.h"
#include "framework/core/Stream.h"

// Failures of the zlib side; the message is always "error".
ZA2_EXCEPTION_KIND(EZlibError, Exception);
ZA2_EXCEPTION_KIND(EDecompressionError, EZlibError);

// The 13 signature bytes (not NUL-terminated) and their count.
extern const char ContainerMagic[13];
constexpr long kContainerMagicSize = 13;
constexpr long kContainerHeaderSize = 17;   // signature + size field

// Output chunk and input block of the decoder.
constexpr long kDecompressChunk = 61440;
constexpr long kDecompressInputBlock = 65536;

// Recognises a container at source's current position.
// True: size is set and source stands at the first byte of the zlib stream (17 bytes further).
// False (fewer than 13 bytes, another signature, or a size field cut short): size is untouched
// and source stands where it stood. A read that fails with an error also restores the position
// before the error passes on.
bool ReadContainerHeader(TStream& source, long& size);

// Inflates the zlib stream at source's current position and writes exactly count bytes to dest
// at dest's position (dest advances by count). Failures:
//   - count < 0, corrupt zlib data (inflate < 0, or a preset dictionary asked for), a stream
//     that ends before count bytes, or an Adler-32 mismatch: EDecompressionError "error";
//   - source runs out before count bytes (or before the end of a stream that ends right after
//     count bytes): EReadError;
//   - dest takes fewer bytes than a chunk: EWriteError.
// count 0 reads nothing and writes nothing. A stream that holds more than count bytes yields its
// first count bytes without error. When the stream ends right after count bytes (as every
// shipped container does), its Adler-32 is checked before the last chunk is written, so a
// container that fits one chunk writes nothing to dest when its checksum is wrong.
// dest holds the chunks written so far after a failure; callers discard it.
void DecompressContainer(TStream& source, TStream& dest, long count);

// The same decoding for a container's zlib stream already in memory (source, sourceSize bytes),
// into a block of count bytes, in one pass without the chunk copies: the same failures
// (EReadError when source ends first). dest holds partly decoded bytes after a failure.
void DecompressBlock(const void* source, long sourceSize, void* dest, long count);

// Writes the decoded contents of the named resource of module to dest at its position, which
// ends after them: a container's file is decoded from the loaded image straight into dest's
// block, sized once; any other resource is copied as it is stored. A missing resource raises
// EResNotFound; decoding fails as DecompressBlock does, leaving a partly decoded file in dest.
void ReadResourcePayload(TMemoryStream& dest, HMODULE module, const char* name, const char* type);
