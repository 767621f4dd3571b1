#include "imagepack/UPictureEX.h"

#include "imagepack/UResStream.h"
#include "bitmap/USafetyBitmap.h"
#include "framework/graphics/Icon.h"
#include "framework/graphics/Metafile.h"
#include "framework/core/Exception.h"
#include "framework/core/FrameworkStrings.h"
#include "framework/core/ScopeGuard.h"
#include "framework/core/Stream.h"

#include <cstring>
#include <memory>
#include <utility>

namespace {

constexpr char kBitmapTypeName[] = "RT_BITMAP";
constexpr char kIconTypeName[] = "RT_ICON";
constexpr char kMetafileTypeName[] = "METAFILE";
constexpr char kJpegTypeName[] = "JPEG";
constexpr char kJpegDescription[] = "JPEG Image";

constexpr WORD kBitmapFileType = 0x4D42;   // "BM"
static_assert(sizeof(BITMAPFILEHEADER) == 14, "the file header is packed");
constexpr int kMaxPaletteBits = 8;
constexpr unsigned long long kBitfieldMasksBytes = 3 * sizeof(DWORD);

bool SameTextIgnoringCase(const std::string& a, const char* b)
{
    return lstrcmpiA(a.c_str(), b) == 0;
}

// The folder of the running program, with its final "\" (or ":"); trail bytes of double-byte
// characters are never taken for separators.
std::string ExecutableFolder()
{
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    size_t end = 0;
    for (size_t i = 0; i < length; ++i) {
        if (IsDBCSLeadByte(static_cast<BYTE>(path[i])) && i + 1 < length) {
            ++i;
            continue;
        }
        if (path[i] == '\\' || path[i] == ':')
            end = i + 1;
    }
    return std::string(path, end);
}

// Size of the info header and the colour table of the DIB at the stream's position, as the
// bitmap format defines them; the position stays. Data too short for a header counts as having
// none: the bitmap reader reports it.
unsigned long long DibHeaderAndTableBytes(TStream& stream)
{
    const long start = stream.Position();
    BITMAPINFOHEADER info{};
    const long got = stream.Read(&info, sizeof(info));
    stream.SetPosition(start);
    if (got < static_cast<long>(sizeof(DWORD)))
        return 0;
    unsigned long long table = 0;
    if (info.biSize >= sizeof(BITMAPINFOHEADER) && got == static_cast<long>(sizeof(info))) {
        if (info.biClrUsed != 0)
            table = static_cast<unsigned long long>(info.biClrUsed) * sizeof(RGBQUAD);
        else if (info.biBitCount <= kMaxPaletteBits)
            table = (1ull << info.biBitCount) * sizeof(RGBQUAD);
        if (info.biSize == sizeof(BITMAPINFOHEADER) && info.biCompression == BI_BITFIELDS)
            table += kBitfieldMasksBytes;
    } else if (info.biSize == sizeof(BITMAPCOREHEADER) &&
               got >= static_cast<long>(sizeof(BITMAPCOREHEADER))) {
        BITMAPCOREHEADER core{};
        std::memcpy(&core, &info, sizeof(core));
        if (core.bcBitCount <= kMaxPaletteBits)
            table = (1ull << core.bcBitCount) * sizeof(RGBTRIPLE);
    }
    return info.biSize + table;
}

}   // namespace

// ---- TPictureEx ----

void TPictureEx::Changed(TObject* sender)
{
    if (changing_)
        return;
    TTemporaryValue<bool> changing(changing_, true);
    TPicture::Changed(sender);
}

// ---- TSafetyJPEGImage ----

void TSafetyJPEGImage::Draw(TCanvas& canvas, const RECT& rect)
{
    TTemporaryValue<TNotifyEvent> detached(OnChange, nullptr);
    TJPEGImage::Draw(canvas, rect);
}

// ---- Picture functions ----

TSafetyBitmap& SafetyBitmapOf(TPicture& picture)
{
    if (auto* bitmap = dynamic_cast<TSafetyBitmap*>(picture.Graphic()))
        return *bitmap;
    {
        TTemporaryValue<TNotifyEvent> detached(picture.OnChange, nullptr);
        picture.TakeGraphic(std::make_unique<TSafetyBitmap>());
    }
    return static_cast<TSafetyBitmap&>(*picture.Graphic());
}

TJPEGImage& JPEGOf(TPicture& picture)
{
    if (auto* jpeg = dynamic_cast<TJPEGImage*>(picture.Graphic()))
        return *jpeg;
    {
        TTemporaryValue<TNotifyEvent> detached(picture.OnChange, nullptr);
        picture.TakeGraphic(std::make_unique<TSafetyJPEGImage>());
    }
    return static_cast<TJPEGImage&>(*picture.Graphic());
}

void LoadBitmapResource(TPicture& picture, TStream& stream)
{
    const long size = stream.Size();
    const unsigned long long offset = sizeof(BITMAPFILEHEADER) + DibHeaderAndTableBytes(stream);
    const unsigned long long fileSize = sizeof(BITMAPFILEHEADER) + static_cast<unsigned long long>(size);
    if (offset > MAXDWORD || fileSize > MAXDWORD)
        throw EInvalidGraphic(SInvalidImage);

    BITMAPFILEHEADER header{};
    header.bfType = kBitmapFileType;
    header.bfSize = static_cast<DWORD>(fileSize);
    header.bfOffBits = static_cast<DWORD>(offset);
    TMemoryStream file;
    file.WriteBuffer(&header, sizeof(header));
    if (size > 0)
        file.CopyFrom(stream, 0);   // 0: the whole resource
    file.SetPosition(0);
    SafetyBitmapOf(picture).LoadFromStream(file);
}

// ---- TResourceImageLoader ----

TResourceImageLoader::TResourceImageLoader(TPictureEx& picture) : picture_(picture) {}

void TResourceImageLoader::NameChanged(std::string& field, const std::string& value)
{
    if (field == value)
        return;
    field = value;
    picture_.SetFromResource(false);
    LoadIfReady();
}

void TResourceImageLoader::SetResFile(const std::string& resFile)
{
    NameChanged(resFile_, resFile);
}

void TResourceImageLoader::SetResType(const std::string& resType)
{
    NameChanged(resType_, resType);
}

void TResourceImageLoader::SetResName(const std::string& resName)
{
    NameChanged(resName_, resName);
}

void TResourceImageLoader::LoadIfReady()
{
    if (autoLoad_ && ready_)
        Load();
}

std::string TResourceImageLoader::ResPath() const
{
    return resFile_.empty() ? std::string() : ExecutableFolder() + resFile_;
}

const char* TResourceImageLoader::ResTypeId() const
{
    if (resType_ == kBitmapTypeName)
        return RT_BITMAP;
    if (resType_ == kIconTypeName)
        return RT_ICON;
    return resType_.c_str();
}

void TResourceImageLoader::Load()
{
    if (resName_.empty() || resType_.empty())
        return;
    const char* type = ResTypeId();
    TResStream stream(ResPath(), resName_, type);
    bool handled = false;
    if (OnLoadResource)
        OnLoadResource(stream, handled);
    if (!handled) {
        handled = true;
        if (type == RT_BITMAP)
            LoadBitmapResource(picture_, stream);
        else if (type == RT_ICON)
            picture_.Icon().LoadFromStream(stream);
        else if (SameTextIgnoringCase(resType_, kMetafileTypeName))
            picture_.Metafile().LoadFromStream(stream);
        else if (SameTextIgnoringCase(resType_, kJpegTypeName))
            JPEGOf(picture_).LoadFromStream(stream);
        else
            handled = false;
    }
    if (handled)
        picture_.SetFromResource(true);
}

void TResourceImageLoader::AssignTo(TPersistent& dest)
{
    auto* loader = dynamic_cast<TResourceImageLoader*>(&dest);
    if (!loader) {
        TPersistent::AssignTo(dest);
        return;
    }
    loader->resFile_ = resFile_;
    loader->resName_ = resName_;
    loader->resType_ = resType_;
    loader->picture_.SetFromResource(false);
    loader->LoadIfReady();
}

// ---- Formats ----

void RegisterSafetyJPEGFormats()
{
    TPicture::RegisterFileFormat("JPG", kJpegDescription, GraphicFactory<TSafetyJPEGImage>());
    TPicture::RegisterFileFormat("JPEG", kJpegDescription, GraphicFactory<TSafetyJPEGImage>());
}

void UnregisterSafetyJPEGFormats()
{
    TPicture::UnregisterGraphicClass(GraphicFactory<TSafetyJPEGImage>());
}
