#include "framework/graphics/JPEGImage.h"

#include "framework/graphics/Bitmap.h"
#include "framework/graphics/Canvas.h"
#include "framework/core/Exception.h"
#include "framework/core/FrameworkStrings.h"
#include "framework/core/ImageSize.h"
#include "framework/core/Stream.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
// After windows.h: the library's Windows configuration then keeps the system's boolean type.
#include <jerror.h>
#include <jpeglib.h>

namespace {

// The library reports errors through a callback that must not return; it jumps back to the
// decoder's last checkpoint instead, carrying the library's message.
struct TJpegErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf checkpoint;
    char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void JumpToCheckpoint(j_common_ptr info)
{
    auto* errors = reinterpret_cast<TJpegErrorManager*>(info->err);
    errors->pub.format_message(info, errors->message);
    std::longjmp(errors->checkpoint, 1);
}

// Warnings are tolerated, except the end of the data before the image's end: the library would
// fill the missing rows with grey, but a cut-off picture is damaged data.
void FilterMessage(j_common_ptr info, int level)
{
    constexpr int kWarning = -1;
    if (level == kWarning && info->err->msg_code == JWRN_JPEG_EOF)
        JumpToCheckpoint(info);
}

void IgnoreOutput(j_common_ptr) {}

// One decompression over bytes in memory. Each step sets a checkpoint for the library's errors
// and keeps only plain data in its frame, so jumping back skips no destructor. A failed step
// leaves its message in Message().
class TJpegDecoder {
public:
    TJpegDecoder()
    {
        std::memset(&info_, 0, sizeof(info_));
        std::memset(&errors_, 0, sizeof(errors_));
        info_.err = jpeg_std_error(&errors_.pub);
        errors_.pub.error_exit = JumpToCheckpoint;
        errors_.pub.emit_message = FilterMessage;
        errors_.pub.output_message = IgnoreOutput;
    }
    // Also frees a half-made decompressor: the library checks what it has allocated.
    ~TJpegDecoder() { jpeg_destroy_decompress(&info_); }
    TJpegDecoder(const TJpegDecoder&) = delete;
    TJpegDecoder& operator=(const TJpegDecoder&) = delete;

    // Reads the headers; nothing is allocated for the image yet.
    bool ReadHeader(const BYTE* data, unsigned long size)
    {
        if (setjmp(errors_.checkpoint))
            return false;
        jpeg_create_decompress(&info_);
        jpeg_mem_src(&info_, data, size);
        jpeg_read_header(&info_, TRUE);
        info_.out_color_space = JCS_EXT_BGR;
        return true;
    }

    // Whether decoding keeps the decoded image budget: the rows, and for a progressive image
    // also the coefficients of the whole image, which the library holds until the last scan.
    bool WithinBudget() const
    {
        const TByteCount pixels = SizeProduct(info_.image_width, info_.image_height);
        const TByteCount coefficients =
            SizeProduct(SizeProduct(pixels, info_.num_components), sizeof(JCOEF));
        return ImageWithinBudget(info_.image_width, info_.image_height) &&
               (!info_.progressive_mode || WithinImageBudget(coefficients));
    }

    // Starts decompressing into BGR triples, the order of a 24-bit DIB.
    bool Start()
    {
        if (setjmp(errors_.checkpoint))
            return false;
        jpeg_start_decompress(&info_);
        return true;
    }

    bool ReadRow(BYTE* row)
    {
        if (setjmp(errors_.checkpoint))
            return false;
        JSAMPROW rows[1] = {row};
        // Data in memory never suspends; no row means the data has ended.
        if (jpeg_read_scanlines(&info_, rows, 1) != 1) {
            std::strcpy(errors_.message, "no scan line");
            return false;
        }
        return true;
    }

    int Width() const { return static_cast<int>(info_.output_width); }
    int Height() const { return static_cast<int>(info_.output_height); }
    const char* Message() const { return errors_.message; }

private:
    jpeg_decompress_struct info_;
    TJpegErrorManager errors_;
};

[[noreturn]] void RaiseInvalidJpeg(const char* detail)
{
    throw EInvalidGraphic(SJPEGError, {detail});
}

std::unique_ptr<TBitmap> Decode(const std::vector<BYTE>& data)
{
    TJpegDecoder decoder;
    if (!decoder.ReadHeader(data.data(), static_cast<unsigned long>(data.size())))
        RaiseInvalidJpeg(decoder.Message());
    // Refused before the library allocates anything for the image.
    if (!decoder.WithinBudget())
        throw EInvalidGraphic(SInvalidImage);
    if (!decoder.Start())
        RaiseInvalidJpeg(decoder.Message());
    const int width = decoder.Width();
    const int height = decoder.Height();
    if (width <= 0 || height <= 0)
        RaiseInvalidJpeg("image size");

    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetPixelFormat(TPixelFormat::Bit24);
    bitmap->SetSize(width, height);
    for (int row = 0; row < height; ++row) {
        if (!decoder.ReadRow(static_cast<BYTE*>(bitmap->ScanLine(row))))
            RaiseInvalidJpeg(decoder.Message());
    }
    return bitmap;
}

}   // namespace

TJPEGImage::TJPEGImage() = default;
TJPEGImage::~TJPEGImage() = default;

void TJPEGImage::Assign(TPersistent* source)
{
    if (!source) {
        TakeData({});
        return;
    }
    auto* jpeg = dynamic_cast<TJPEGImage*>(source);
    if (!jpeg) {
        TGraphic::Assign(source);
        return;
    }
    if (jpeg == this)
        return;
    data_ = jpeg->data_;
    if (jpeg->bitmap_) {
        bitmap_ = std::make_unique<TBitmap>();
        bitmap_->Assign(jpeg->bitmap_.get());
    } else {
        bitmap_.reset();
    }
    Changed(this);
}

void TJPEGImage::AssignTo(TPersistent& dest)
{
    if (auto* bitmap = dynamic_cast<TBitmap*>(&dest)) {
        bitmap->Assign(bitmap_.get());
        return;
    }
    TGraphic::AssignTo(dest);
}

int TJPEGImage::Width()
{
    return bitmap_ ? bitmap_->Width() : 0;
}

int TJPEGImage::Height()
{
    return bitmap_ ? bitmap_->Height() : 0;
}

void TJPEGImage::SetWidth(int width)
{
    if (width != Width())
        throw EInvalidOperation(SChangeJPEGSize);
}

void TJPEGImage::SetHeight(int height)
{
    if (height != Height())
        throw EInvalidOperation(SChangeJPEGSize);
}

bool TJPEGImage::Empty()
{
    return !bitmap_;
}

void TJPEGImage::TakeData(std::vector<BYTE> data)
{
    // Decoded first: bad data leaves the image as it was.
    std::unique_ptr<TBitmap> decoded = data.empty() ? nullptr : Decode(data);
    data_ = std::move(data);
    bitmap_ = std::move(decoded);
    Changed(this);
}

void TJPEGImage::LoadFromStream(TStream& stream)
{
    const long rest = stream.Size() - stream.Position();
    std::vector<BYTE> data(rest > 0 ? static_cast<size_t>(rest) : 0);
    if (!data.empty())
        stream.ReadBuffer(data.data(), static_cast<long>(data.size()));
    TakeData(std::move(data));
}

void TJPEGImage::SaveToStream(TStream& stream)
{
    if (!data_.empty())
        stream.WriteBuffer(data_.data(), static_cast<long>(data_.size()));
}

void TJPEGImage::ReadData(TStream& stream)
{
    long length = 0;
    stream.ReadBuffer(&length, sizeof(length));
    if (length < 0 || length > stream.Size() - stream.Position())
        RaiseReadError();
    std::vector<BYTE> data(static_cast<size_t>(length));
    if (length > 0)
        stream.ReadBuffer(data.data(), length);
    TakeData(std::move(data));
}

void TJPEGImage::WriteData(TStream& stream)
{
    const long length = static_cast<long>(data_.size());
    stream.WriteBuffer(&length, sizeof(length));
    SaveToStream(stream);
}

void TJPEGImage::Draw(TCanvas& canvas, const RECT& rect)
{
    if (bitmap_)
        canvas.StretchDraw(rect, bitmap_.get());
}
