#include "framework/graphics/Metafile.h"

#include "framework/graphics/Canvas.h"
#include "framework/graphics/EnhMetafileWalk.h"
#include "framework/graphics/WinMetafileWalk.h"
#include "framework/core/Exception.h"
#include "framework/core/FrameworkStrings.h"
#include "framework/core/Stream.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// The part of ENHMETAHEADER that every version has (later versions append fields).
constexpr DWORD kMinHeaderSize = 88;
constexpr int kHundredthsPerMillimetre = 100;
constexpr int kHundredthsOfMillimetrePerInch = 2540;
constexpr DWORD kPlaceableKey = 0x9AC6CDD7;   // first bytes of a placeable Windows metafile
constexpr long kWordBytes = 2;

#pragma pack(push, 2)
struct TPlaceableHeader {
    DWORD key;
    WORD handle;
    SHORT left, top, right, bottom;   // picture frame in units of 1/inch inch
    WORD inch;
    DWORD reserved;
    WORD checksum;
};
#pragma pack(pop)

[[noreturn]] void RaiseInvalidMetafile()
{
    throw EInvalidGraphic(SInvalidMetafile);
}

// Takes a metafile that GDI made, or refuses it when its records are not all ones we may play:
// the conversion of a Windows metafile is checked like any enhanced metafile.
HENHMETAFILE PlayableOrNothing(HENHMETAFILE made)
{
    TOwnedEnhMetaFile metafile(made);
    if (!metafile)
        return nullptr;
    const UINT size = GetEnhMetaFileBits(metafile.Get(), 0, nullptr);
    std::vector<BYTE> data(size);
    if (size == 0 || GetEnhMetaFileBits(metafile.Get(), size, data.data()) != size ||
        !EnhMetafilePlayable(data.data(), data.size()))
        return nullptr;
    return metafile.Release();
}

// Picture-frame extent (0.01 mm) in pixels of the device the metafile was recorded for.
int FramePixels(LONG frame, LONG devicePixels, LONG deviceMillimetres)
{
    if (deviceMillimetres <= 0)
        return 0;
    return MulDiv(frame, devicePixels, deviceMillimetres * kHundredthsPerMillimetre);
}

}  // namespace

TMetafile::TMetafile() = default;

TMetafile::~TMetafile() = default;

void TMetafile::Assign(TPersistent* source)
{
    if (!source) {
        TakeMetafile(nullptr);
        return;
    }
    auto* metafile = dynamic_cast<TMetafile*>(source);
    if (!metafile) {
        TGraphic::Assign(source);
        return;
    }
    if (metafile == this)
        return;
    HENHMETAFILE copy =
        metafile->handle_ ? RequireHandle(CopyEnhMetaFileA(metafile->handle_.Get(), nullptr))
                          : nullptr;
    TakeMetafile(copy);
    width_ = metafile->width_;
    height_ = metafile->height_;
}

void TMetafile::SetWidth(int width)
{
    if (width != width_) {
        width_ = width;
        Changed(this);
    }
}

void TMetafile::SetHeight(int height)
{
    if (height != height_) {
        height_ = height;
        Changed(this);
    }
}

void TMetafile::SetHandle(HENHMETAFILE metafile)
{
    if (metafile && metafile == handle_.Get())
        return;
    TakeMetafile(metafile);
}

HENHMETAFILE TMetafile::ReleaseHandle()
{
    HENHMETAFILE metafile = handle_.Release();
    width_ = height_ = 0;
    Changed(this);
    return metafile;
}

void TMetafile::TakeMetafile(HENHMETAFILE metafile)
{
    handle_.Reset(metafile);
    width_ = height_ = 0;
    ENHMETAHEADER header{};
    if (metafile && GetEnhMetaFileHeader(metafile, sizeof(header), &header) != 0) {
        width_ = FramePixels(header.rclFrame.right - header.rclFrame.left, header.szlDevice.cx,
                             header.szlMillimeters.cx);
        height_ = FramePixels(header.rclFrame.bottom - header.rclFrame.top, header.szlDevice.cy,
                              header.szlMillimeters.cy);
    }
    Changed(this);
}

void TMetafile::LoadFromStream(TStream& stream)
{
    long remaining = std::max(0L, stream.Size() - stream.Position());
    DWORD key = 0;
    if (remaining >= static_cast<long>(sizeof(key))) {
        stream.ReadBuffer(&key, sizeof(key));
        stream.Seek(-static_cast<long>(sizeof(key)), SeekOrigin::Current);
    }
    if (key == kPlaceableKey) {
        LoadPlaceable(stream, remaining);
        return;
    }
    if (remaining < static_cast<long>(kMinHeaderSize))
        RaiseInvalidMetafile();
    ENHMETAHEADER header{};
    stream.ReadBuffer(&header, kMinHeaderSize);
    if (header.iType != EMR_HEADER || header.dSignature != ENHMETA_SIGNATURE ||
        header.nSize < kMinHeaderSize || header.nBytes < header.nSize ||
        header.nBytes > static_cast<DWORD>(remaining))
        RaiseInvalidMetafile();
    // Exactly the metafile's own bytes: what follows it in the stream is not ours.
    std::vector<BYTE> data(header.nBytes);
    std::memcpy(data.data(), &header, kMinHeaderSize);
    stream.ReadBuffer(data.data() + kMinHeaderSize, static_cast<long>(header.nBytes - kMinHeaderSize));
    if (!EnhMetafilePlayable(data.data(), data.size()))
        RaiseInvalidMetafile();
    HENHMETAFILE metafile = SetEnhMetaFileBits(header.nBytes, data.data());
    if (!metafile)
        RaiseInvalidMetafile();
    TakeMetafile(metafile);
}

void TMetafile::LoadPlaceable(TStream& stream, long remaining)
{
    TPlaceableHeader placeable{};
    METAHEADER header{};
    if (remaining < static_cast<long>(sizeof(placeable) + sizeof(header)))
        RaiseInvalidMetafile();
    stream.ReadBuffer(&placeable, sizeof(placeable));
    stream.ReadBuffer(&header, sizeof(header));
    long long bytes = static_cast<long long>(header.mtSize) * kWordBytes;
    if (placeable.inch == 0 || placeable.right <= placeable.left ||
        placeable.bottom <= placeable.top || bytes < static_cast<long long>(sizeof(header)) ||
        bytes > remaining - static_cast<long long>(sizeof(placeable)))
        RaiseInvalidMetafile();
    std::vector<BYTE> data(static_cast<size_t>(bytes));
    std::memcpy(data.data(), &header, sizeof(header));
    stream.ReadBuffer(data.data() + sizeof(header), static_cast<long>(bytes - sizeof(header)));
    if (!WinMetafilePlayable(data.data(), data.size()))
        RaiseInvalidMetafile();
    // The frame in 0.01 mm tells GDI how large the converted picture is.
    METAFILEPICT picture{MM_ANISOTROPIC,
                         MulDiv(placeable.right - placeable.left, kHundredthsOfMillimetrePerInch,
                                placeable.inch),
                         MulDiv(placeable.bottom - placeable.top, kHundredthsOfMillimetrePerInch,
                                placeable.inch),
                         nullptr};
    HENHMETAFILE metafile = PlayableOrNothing(
        SetWinMetaFileBits(static_cast<UINT>(bytes), data.data(), nullptr, &picture));
    if (!metafile)
        RaiseInvalidMetafile();
    TakeMetafile(metafile);
}

void TMetafile::SaveToStream(TStream& stream)
{
    if (!handle_)
        return;
    UINT size = GetEnhMetaFileBits(handle_.Get(), 0, nullptr);
    std::vector<BYTE> data(size);
    GetEnhMetaFileBits(handle_.Get(), size, data.data());
    stream.WriteBuffer(data.data(), static_cast<long>(size));
}

void TMetafile::LoadFromClipboardFormat(UINT format, HANDLE data, HPALETTE)
{
    if (format != CF_ENHMETAFILE || !data)
        throw EInvalidGraphic(SUnsupportedClipboard);
    // Another program's metafile is checked like one from a file.
    HENHMETAFILE copy = PlayableOrNothing(
        RequireHandle(CopyEnhMetaFileA(static_cast<HENHMETAFILE>(data), nullptr)));
    if (!copy)
        RaiseInvalidMetafile();
    TakeMetafile(copy);
}

void TMetafile::SaveToClipboardFormat(UINT& format, HANDLE& data, HPALETTE& palette)
{
    format = CF_ENHMETAFILE;
    data = handle_ ? CopyEnhMetaFileA(handle_.Get(), nullptr) : nullptr;
    palette = nullptr;
}

void TMetafile::Draw(TCanvas& canvas, const RECT& rect)
{
    if (handle_)
        PlayEnhMetaFile(canvas.Handle(), handle_.Get(), &rect);
}
