#include "dib/UDIBInfo.h"

namespace {

constexpr DWORD kCoreHeaderSize = sizeof(BITMAPCOREHEADER);

static_assert(sizeof(TDIBInfo) == 1064, "header and full colour table");

int TableEntries(int depth)
{
    return depth == 1 || depth == 4 || depth == 8 ? 1 << depth : 0;
}

}  // namespace

int DibColorCount(const BITMAPINFOHEADER& header)
{
    if (header.biClrUsed != 0)
        return static_cast<int>(header.biClrUsed);
    return TableEntries(header.biBitCount);
}

int DibInfoSize(const BITMAPINFOHEADER& header)
{
    if (header.biSize == kCoreHeaderSize) {
        const auto& core = reinterpret_cast<const BITMAPCOREHEADER&>(header);
        return kCoreHeaderSize + sizeof(RGBTRIPLE) * TableEntries(core.bcBitCount);
    }
    return static_cast<int>(header.biSize) + sizeof(RGBQUAD) * DibColorCount(header);
}
