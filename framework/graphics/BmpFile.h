#pragma once
// The BMP file format as bitmaps read and write it.
//
// Reading, from the stream's position:
//   - no bytes left: an empty image;
//   - a 14-byte file header with "BM" (else EInvalidGraphic "ﾋﾞｯﾄﾏｯﾌﾟｲﾒｰｼﾞが不正です");
//     bfSize and bfOffBits are not read;
//   - a 40-byte (or longer) info header or a 12-byte core header;
//   - a colour table of biClrUsed entries, or the full table of the depth when biClrUsed is 0
//     (3-byte entries after a core header); entries beyond the depth are skipped;
//   - the pixels right after the table: biSizeImage bytes, or the computed size when it is 0,
//     never more than the stream still holds (missing rows stay black); RLE8 and RLE4 data are
//     decoded into an uncompressed section.
// Headers that make no sense (planes other than 1, unknown depths or compressions, zero bitfield
// masks, negative widths, tables longer than the stream) and images beyond the decoded image
// budget (ImageSize.h) are invalid images, refused before a section is made.
//
// Writing: an uncompressed BMP with a 40-byte header and, for 1, 4 and 8 bits, the full table.
#include "framework/graphics/BitmapImage.h"

class TStream;

std::shared_ptr<TBitmapImage> ReadBmp(TStream& stream);
void WriteBmp(TBitmapImage& image, TStream& stream);
