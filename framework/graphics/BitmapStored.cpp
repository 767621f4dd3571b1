// The bitmap's stored forms: BMP streams, the stored data of a layout, the clipboard's formats
// and bitmap resources.
#include "framework/graphics/Bitmap.h"

#include "framework/graphics/BitmapCanvas.h"
#include "framework/graphics/BitmapImage.h"
#include "framework/graphics/BmpFile.h"
#include "framework/graphics/Palette.h"
#include "framework/core/Exception.h"
#include "framework/core/FrameworkStrings.h"
#include "framework/core/GlobalMemory.h"
#include "framework/core/ScopeGuard.h"
#include "framework/core/Stream.h"

namespace {

constexpr WORD kBmpSignature = 0x4D42;   // "BM"

// A packed DIB (header, table, pixels) as a BMP file in memory, for the BMP reader.
void WritePackedDibAsFile(const void* dib, SIZE_T size, TMemoryStream& file)
{
    BITMAPFILEHEADER header{};
    header.bfType = kBmpSignature;
    header.bfSize = static_cast<DWORD>(sizeof(header) + size);
    file.WriteBuffer(&header, sizeof(header));
    file.WriteBuffer(dib, static_cast<long>(size));
    file.SetPosition(0);
}

}  // namespace

void TBitmap::LoadFromStream(TStream& stream)
{
    auto loaded = ReadBmp(stream);
    ReplaceImage(std::move(loaded));
    Changed(this);
}

void TBitmap::SaveToStream(TStream& stream)
{
    if (image_->Empty())
        return;
    // GetDIBits wants a bitmap that no DC holds.
    if (!image_->bits && canvas_)
        canvas_->Detach();
    TScopeExit reattach([this] {
        if (!image_->bits && canvas_)
            canvas_->Attach();
    });
    WriteBmp(*image_, stream);
}

void TBitmap::ReadData(TStream& stream)
{
    long length = 0;
    stream.ReadBuffer(&length, sizeof(length));
    long start = stream.Position();
    if (length < 0 || length > stream.Size() - start)
        throw EInvalidGraphic(SInvalidImage);
    if (length == stream.Size() - start) {
        LoadFromStream(stream);
    } else {
        // Only the stored bytes: the reader must not take what follows them for pixel data.
        TMemoryStream data;
        data.CopyFrom(stream, length);
        data.SetPosition(0);
        LoadFromStream(data);
    }
    stream.SetPosition(start + length);
}

void TBitmap::WriteData(TStream& stream)
{
    TMemoryStream data;
    SaveToStream(data);
    long length = data.Size();
    stream.WriteBuffer(&length, sizeof(length));
    stream.WriteBuffer(data.Memory(), length);
}

void TBitmap::LoadFromClipboardFormat(UINT format, HANDLE data, HPALETTE palette)
{
    if (!data || (format != CF_BITMAP && format != CF_DIB))
        throw EInvalidGraphic(SUnsupportedClipboard);
    if (format == CF_DIB) {
        TMemoryStream file;
        {
            TGlobalLock dib = LockGlobal(data);
            if (!dib)
                throw EInvalidGraphic(SUnsupportedClipboard);
            WritePackedDibAsFile(dib.Get(), GlobalSize(data), file);
        }
        LoadFromStream(file);
        return;
    }
    // CF_BITMAP: the handle stays the clipboard's; we take a copy of its pixels.
    TBitmapImage borrowed;
    borrowed.handle.Reset(static_cast<HBITMAP>(data));
    BITMAP described{};
    GetObjectA(data, sizeof(described), &described);
    borrowed.width = described.bmWidth;
    borrowed.height = described.bmHeight;
    borrowed.monochrome = described.bmBitsPixel == 1 && described.bmPlanes == 1;
    std::shared_ptr<TBitmapImage> copy;
    {
        TScopeExit giveBack([&borrowed] { borrowed.handle.Release(); });
        copy = CreateImage(borrowed.width, borrowed.height, TPixelFormat::Device,
                           borrowed.monochrome, CopyPalette(palette));
        BlitImage(borrowed, *copy);
    }
    ReplaceImage(std::move(copy));
    Changed(this);
}

void TBitmap::SaveToClipboardFormat(UINT& format, HANDLE& data, HPALETTE& palette)
{
    format = CF_BITMAP;
    TOwnedBitmap copy = CopyAsDeviceBitmap(*image_);
    palette = CopyPalette(image_->palette.Get()).Release();
    data = copy.Release();
}

void TBitmap::LoadFromResourceName(HINSTANCE instance, const char* name)
{
    TResourceStream resource(instance, name, RT_BITMAP);
    TMemoryStream file;
    WritePackedDibAsFile(resource.Memory(), static_cast<SIZE_T>(resource.Size()), file);
    LoadFromStream(file);
}
