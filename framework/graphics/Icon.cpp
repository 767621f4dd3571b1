#include "framework/graphics/Icon.h"

#include "framework/graphics/Canvas.h"
#include "framework/core/Exception.h"
#include "framework/core/FrameworkStrings.h"
#include "framework/core/ImageSize.h"
#include "framework/core/Stream.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

constexpr WORD kIconType = 1;                       // ICONDIR type of icons (2: cursors)
constexpr DWORD kIconResourceVersion = 0x00030000;  // CreateIconFromResourceEx format version
constexpr int kLargestIconSide = 256;               // a directory width/height of 0 means 256
constexpr int kSavedDepth = 32;

#pragma pack(push, 2)
struct TIconDir {
    WORD reserved;
    WORD type;
    WORD count;
};
struct TIconDirEntry {
    BYTE width;
    BYTE height;
    BYTE colorCount;
    BYTE reserved;
    WORD planes;
    WORD bitCount;
    DWORD bytesInRes;
    DWORD imageOffset;
};
#pragma pack(pop)

constexpr BYTE kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

[[noreturn]] void RaiseInvalidIcon()
{
    throw EInvalidGraphic(SInvalidIcon);
}

int EntrySide(BYTE stored)
{
    return stored == 0 ? kLargestIconSide : stored;
}

// The entry nearest to the standard icon size; among equals the deepest.
const TIconDirEntry* ChooseEntry(const std::vector<BYTE>& file)
{
    if (file.size() < sizeof(TIconDir))
        return nullptr;
    TIconDir dir;
    std::memcpy(&dir, file.data(), sizeof(dir));
    if (dir.reserved != 0 || dir.type != kIconType || dir.count == 0 ||
        sizeof(TIconDir) + dir.count * sizeof(TIconDirEntry) > file.size())
        return nullptr;
    int wanted = GetSystemMetrics(SM_CXICON);
    const auto* entries = reinterpret_cast<const TIconDirEntry*>(file.data() + sizeof(TIconDir));
    const TIconDirEntry* best = nullptr;
    for (int i = 0; i < dir.count; ++i) {
        const TIconDirEntry& entry = entries[i];
        if (entry.bytesInRes == 0 || entry.imageOffset > file.size() ||
            entry.bytesInRes > file.size() - entry.imageOffset)
            continue;   // an image outside the file is never handed to GDI
        if (!best) {
            best = &entry;
            continue;
        }
        int distance = std::abs(EntrySide(entry.width) - wanted);
        int bestDistance = std::abs(EntrySide(best->width) - wanted);
        if (distance < bestDistance || (distance == bestDistance && entry.bitCount > best->bitCount))
            best = &entry;
    }
    return best;
}

// An icon image is a DIB of twice its height (colour rows, then the mask's 1-bit rows). GDI
// reads as many bytes as the header describes, so the header must describe no more than there
// are. PNG images are GDI's to check.
bool ValidIconImage(const BYTE* data, size_t size)
{
    constexpr int kMaxTableDepth = 8;
    constexpr int kMaskDepth = 1;
    constexpr int kIconImageParts = 2;   // colour and mask
    if (size >= sizeof(kPngSignature) && std::memcmp(data, kPngSignature, sizeof(kPngSignature)) == 0)
        return true;
    if (size < sizeof(BITMAPINFOHEADER))
        return false;
    BITMAPINFOHEADER header;
    std::memcpy(&header, data, sizeof(header));
    const int depth = header.biBitCount;
    if (header.biSize < sizeof(BITMAPINFOHEADER) || header.biSize > size || header.biWidth <= 0 ||
        header.biHeight < kIconImageParts || header.biPlanes != 1 || header.biCompression != BI_RGB ||
        (depth != 1 && depth != 4 && depth != 8 && depth != 16 && depth != 24 && depth != 32))
        return false;
    TByteCount colors = header.biClrUsed;
    if (colors == 0 && depth <= kMaxTableDepth)
        colors = 1u << depth;
    const LONG rows = header.biHeight / kIconImageParts;
    const TByteCount pixels = DibImageBytes(header.biWidth, rows, depth);
    const TByteCount needed =
        SizeSum(SizeSum(header.biSize, SizeProduct(colors, sizeof(RGBQUAD))),
                SizeSum(pixels, DibImageBytes(header.biWidth, rows, kMaskDepth)));
    return ImageWithinBudget(header.biWidth, rows) && needed <= size;
}

HICON IconFromImage(const BYTE* data, size_t size, int width, int height)
{
    if (!ValidIconImage(data, size))
        RaiseInvalidIcon();
    HICON icon = CreateIconFromResourceEx(const_cast<BYTE*>(data), static_cast<DWORD>(size), TRUE,
                                          kIconResourceVersion, width, height, LR_DEFAULTCOLOR);
    if (!icon)
        RaiseInvalidIcon();
    return icon;
}

// An .ico file around one image as icon resources store it.
std::vector<BYTE> WrapImage(const BYTE* image, size_t size, int width, int height, int depth)
{
    TIconDir dir{0, kIconType, 1};
    TIconDirEntry entry{};
    entry.width = static_cast<BYTE>(width >= kLargestIconSide ? 0 : width);
    entry.height = static_cast<BYTE>(height >= kLargestIconSide ? 0 : height);
    entry.planes = 1;
    entry.bitCount = static_cast<WORD>(depth);
    entry.bytesInRes = static_cast<DWORD>(size);
    entry.imageOffset = sizeof(dir) + sizeof(entry);
    std::vector<BYTE> file(entry.imageOffset + size);
    std::memcpy(file.data(), &dir, sizeof(dir));
    std::memcpy(file.data() + sizeof(dir), &entry, sizeof(entry));
    std::memcpy(file.data() + entry.imageOffset, image, size);
    return file;
}

SIZE IconSize(HICON icon)
{
    ICONINFO info{};
    if (!GetIconInfo(icon, &info))
        RaiseInvalidIcon();
    TOwnedBitmap color(info.hbmColor), mask(info.hbmMask);
    BITMAP described{};
    if (color) {
        GetObjectA(color.Get(), sizeof(described), &described);
        return SIZE{described.bmWidth, described.bmHeight};
    }
    // A monochrome icon's mask holds the AND and the XOR halves one above the other.
    GetObjectA(mask.Get(), sizeof(described), &described);
    return SIZE{described.bmWidth, described.bmHeight / 2};
}

// A bottom-up DIB section of the icon's size and the given depth, white.
HBITMAP MakeSection(int width, int height, int depth, void** bits)
{
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colors[2];
    } info{};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = width;
    info.header.biHeight = height;
    info.header.biPlanes = 1;
    info.header.biBitCount = static_cast<WORD>(depth);
    info.colors[1] = RGBQUAD{255, 255, 255, 0};
    HBITMAP section = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info),
                                       DIB_RGB_COLORS, bits, nullptr, 0);
    return RequireHandle(section);
}

}  // namespace

TIcon::TIcon() = default;

TIcon::~TIcon() = default;

void TIcon::Assign(TPersistent* source)
{
    if (!source) {
        TakeIcon(nullptr, {});
        return;
    }
    auto* icon = dynamic_cast<TIcon*>(source);
    if (!icon) {
        TGraphic::Assign(source);
        return;
    }
    if (icon == this)
        return;
    HICON copy = icon->handle_ ? RequireHandle(CopyIcon(icon->handle_.Get())) : nullptr;
    TakeIcon(copy, icon->fileBytes_);
}

void TIcon::SetWidth(int width)
{
    if (width != width_)
        throw EInvalidOperation(SChangeIconSize);
}

void TIcon::SetHeight(int height)
{
    if (height != height_)
        throw EInvalidOperation(SChangeIconSize);
}

void TIcon::SetHandle(HICON icon)
{
    if (icon && icon == handle_.Get())
        return;
    TakeIcon(icon, {});
}

HICON TIcon::ReleaseHandle()
{
    HICON icon = handle_.Release();
    width_ = height_ = 0;
    fileBytes_.clear();
    Changed(this);
    return icon;
}

void TIcon::TakeIcon(HICON icon, std::vector<BYTE> fileBytes)
{
    TOwnedIcon owned(icon);
    SIZE size = icon ? IconSize(icon) : SIZE{0, 0};
    handle_ = std::move(owned);
    width_ = size.cx;
    height_ = size.cy;
    fileBytes_ = std::move(fileBytes);
    Changed(this);
}

void TIcon::LoadFromStream(TStream& stream)
{
    long remaining = std::max(0L, stream.Size() - stream.Position());
    std::vector<BYTE> data(static_cast<size_t>(remaining));
    stream.ReadBuffer(data.data(), remaining);
    if (const TIconDirEntry* entry = ChooseEntry(data)) {
        HICON icon = IconFromImage(data.data() + entry->imageOffset, entry->bytesInRes,
                                   EntrySide(entry->width), EntrySide(entry->height));
        TakeIcon(icon, std::move(data));
        return;
    }
    // A single image, as an RT_ICON resource holds it.
    HICON icon = IconFromImage(data.data(), data.size(), 0, 0);
    TOwnedIcon owned(icon);
    SIZE size = IconSize(icon);
    BITMAPINFOHEADER header{};
    int depth = kSavedDepth;
    if (data.size() >= sizeof(header)) {
        std::memcpy(&header, data.data(), sizeof(header));
        if (header.biSize >= sizeof(header))
            depth = header.biBitCount;
    }
    std::vector<BYTE> file = WrapImage(data.data(), data.size(), size.cx, size.cy, depth);
    TakeIcon(owned.Release(), std::move(file));
}

void TIcon::SaveToStream(TStream& stream)
{
    if (!handle_)
        return;
    if (fileBytes_.empty())
        fileBytes_ = BuildIconFile();
    stream.WriteBuffer(fileBytes_.data(), static_cast<long>(fileBytes_.size()));
}

std::vector<BYTE> TIcon::BuildIconFile()
{
    // The icon drawn into a 32-bit colour section and a 1-bit mask section: the two parts of
    // an icon image, whatever kind of icon the handle is.
    void* colorBits = nullptr;
    void* maskBits = nullptr;
    TOwnedBitmap color(MakeSection(width_, height_, kSavedDepth, &colorBits));
    TOwnedBitmap mask(MakeSection(width_, height_, 1, &maskBits));
    {
        TMemoryDC dc;
        TSelectObject select(dc, color.Get());
        DrawIconEx(dc, 0, 0, handle_.Get(), width_, height_, 0, nullptr, DI_IMAGE);
        select.Restore();
        TSelectObject selectMask(dc, mask.Get());
        DrawIconEx(dc, 0, 0, handle_.Get(), width_, height_, 0, nullptr, DI_MASK);
    }
    GdiFlush();
    size_t colorBytes = static_cast<size_t>(width_) * 4 * height_;
    size_t maskBytes = static_cast<size_t>((width_ + 31) / 32 * 4) * height_;
    BITMAPINFOHEADER header{};
    header.biSize = sizeof(header);
    header.biWidth = width_;
    header.biHeight = height_ * 2;   // colour and mask, as icon images count them
    header.biPlanes = 1;
    header.biBitCount = kSavedDepth;
    header.biSizeImage = static_cast<DWORD>(colorBytes + maskBytes);
    std::vector<BYTE> image(sizeof(header) + colorBytes + maskBytes);
    std::memcpy(image.data(), &header, sizeof(header));
    std::memcpy(image.data() + sizeof(header), colorBits, colorBytes);
    std::memcpy(image.data() + sizeof(header) + colorBytes, maskBits, maskBytes);
    return WrapImage(image.data(), image.size(), width_, height_, kSavedDepth);
}

void TIcon::Draw(TCanvas& canvas, const RECT& rect)
{
    if (!handle_)
        return;
    DrawIconEx(canvas.Handle(), rect.left, rect.top, handle_.Get(), rect.right - rect.left,
               rect.bottom - rect.top, 0, nullptr, DI_NORMAL);
}
