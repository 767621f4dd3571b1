#include "framework/graphics/Picture.h"

#include "framework/graphics/Bitmap.h"
#include "framework/graphics/Icon.h"
#include "framework/graphics/Metafile.h"
#include "framework/core/Exception.h"
#include "framework/core/FrameworkStrings.h"
#include "framework/core/Stream.h"

#include <algorithm>
#include <utility>

namespace {

struct TClipboardFormat {
    UINT format;
    TGraphicFactory factory;
};

struct TGraphicRegistry {
    std::vector<TFileFormat> files;
    std::vector<TClipboardFormat> clipboard;
    std::vector<TGraphicFactory> classes;

    TGraphicRegistry()
    {
        AddFile("BMP", "Bitmaps", GraphicFactory<TBitmap>());
        AddFile("ICO", "Icons", GraphicFactory<TIcon>());
        AddFile("EMF", "Enhanced Metafiles", GraphicFactory<TMetafile>());
        clipboard.push_back({CF_BITMAP, GraphicFactory<TBitmap>()});
        clipboard.push_back({CF_DIB, GraphicFactory<TBitmap>()});
        clipboard.push_back({CF_ENHMETAFILE, GraphicFactory<TMetafile>()});
    }
    void AddClass(TGraphicFactory factory)
    {
        if (std::find(classes.begin(), classes.end(), factory) == classes.end())
            classes.push_back(factory);
    }
    void AddFile(const std::string& extension, const std::string& description,
                 TGraphicFactory factory)
    {
        auto same = std::find_if(files.begin(), files.end(),
                                 [&](const TFileFormat& f) { return f.extension == extension; });
        if (same != files.end())
            *same = TFileFormat{extension, description, factory};
        else
            files.push_back(TFileFormat{extension, description, factory});
        AddClass(factory);
    }
};

// Made on first use, so that registrations from other units' start-up code always find it.
TGraphicRegistry& Registry()
{
    static TGraphicRegistry registry;
    return registry;
}

std::string NormalizeExtension(std::string extension)
{
    if (!extension.empty() && extension[0] == '.')
        extension.erase(0, 1);
    if (!extension.empty())
        CharUpperBuffA(&extension[0], static_cast<DWORD>(extension.size()));
    return extension;
}

// The text after the file name's last dot (a dot is never the second byte of a character).
std::string ExtensionOf(const std::string& path)
{
    std::string::size_type dot = path.rfind('.');
    if (dot == std::string::npos)
        return std::string();
    std::string extension = path.substr(dot + 1);
    if (extension.find_first_of("\\/:") != std::string::npos)
        return std::string();
    return extension;
}

TGraphicFactory ClassFactoryByName(const std::string& name)
{
    for (TGraphicFactory factory : Registry().classes) {
        if (name == factory()->ClassName())
            return factory;
    }
    return nullptr;
}

}  // namespace

TPicture::TPicture() = default;

TPicture::~TPicture() = default;

void TPicture::Attach(TGraphic& graphic)
{
    graphic.OnChange = [this](TObject* sender) { Changed(sender); };
}

void TPicture::TakeGraphic(std::unique_ptr<TGraphic> graphic)
{
    if (graphic)
        Attach(*graphic);
    graphic_ = std::move(graphic);
    Changed(this);
}

void TPicture::SetGraphic(TGraphic* graphic)
{
    if (graphic && graphic == graphic_.get())
        return;
    if (!graphic) {
        TakeGraphic(nullptr);
        return;
    }
    std::unique_ptr<TGraphic> copy = graphic->NewInstance();
    copy->Assign(graphic);
    TakeGraphic(std::move(copy));
}

TBitmap& TPicture::Bitmap()
{
    return GraphicAs<TBitmap>();
}

TIcon& TPicture::Icon()
{
    return GraphicAs<TIcon>();
}

TMetafile& TPicture::Metafile()
{
    return GraphicAs<TMetafile>();
}

int TPicture::Width() const
{
    return graphic_ ? graphic_->Width() : 0;
}

int TPicture::Height() const
{
    return graphic_ ? graphic_->Height() : 0;
}

void TPicture::Assign(TPersistent* source)
{
    if (!source)
        SetGraphic(nullptr);
    else if (auto* picture = dynamic_cast<TPicture*>(source))
        SetGraphic(picture->Graphic());
    else if (auto* graphic = dynamic_cast<TGraphic*>(source))
        SetGraphic(graphic);
    else
        TPersistent::Assign(source);
}

void TPicture::AssignTo(TPersistent& dest)
{
    if (dynamic_cast<TGraphic*>(&dest))
        dest.Assign(graphic_.get());
    else
        TPersistent::AssignTo(dest);
}

void TPicture::Changed(TObject*)
{
    Fire(OnChange, this);
}

void TPicture::LoadFromFile(const std::string& path)
{
    std::string extension = ExtensionOf(path);
    TGraphicFactory factory = FileFormatFactory(extension);
    if (!factory)
        throw EInvalidGraphic(SUnknownFileExtension, {extension});
    std::unique_ptr<TGraphic> graphic = factory();
    Attach(*graphic);
    graphic->LoadFromFile(path);
    graphic_ = std::move(graphic);
    Changed(this);
}

void TPicture::SaveToFile(const std::string& path)
{
    if (graphic_)
        graphic_->SaveToFile(path);
}

bool TPicture::SupportsClipboardFormat(UINT format)
{
    const auto& formats = Registry().clipboard;
    return std::any_of(formats.begin(), formats.end(),
                       [&](const TClipboardFormat& f) { return f.format == format; });
}

void TPicture::LoadFromClipboardFormat(UINT format, HANDLE data, HPALETTE palette)
{
    const auto& formats = Registry().clipboard;
    auto found = std::find_if(formats.begin(), formats.end(),
                              [&](const TClipboardFormat& f) { return f.format == format; });
    if (found == formats.end())
        throw EInvalidGraphic(SUnsupportedClipboard);
    std::unique_ptr<TGraphic> graphic = found->factory();
    Attach(*graphic);
    graphic->LoadFromClipboardFormat(format, data, palette);
    graphic_ = std::move(graphic);
    Changed(this);
}

void TPicture::SaveToClipboardFormat(UINT& format, HANDLE& data, HPALETTE& palette)
{
    format = 0;
    data = nullptr;
    if (graphic_)
        graphic_->SaveToClipboardFormat(format, data, palette);
}

void TPicture::ReadData(TStream& stream)
{
    BYTE length = 0;
    stream.ReadBuffer(&length, sizeof(length));
    std::string name(length, '\0');
    stream.ReadBuffer(&name[0], length);
    if (name.empty()) {
        SetGraphic(nullptr);
        return;
    }
    TGraphicFactory factory = ClassFactoryByName(name);
    if (!factory)
        throw EInvalidGraphic(SInvalidImage);
    std::unique_ptr<TGraphic> graphic = factory();
    Attach(*graphic);
    graphic->ReadData(stream);
    graphic_ = std::move(graphic);
    Changed(this);
}

void TPicture::WriteData(TStream& stream)
{
    std::string name = graphic_ ? graphic_->ClassName() : "";
    BYTE length = static_cast<BYTE>(std::min<size_t>(name.size(), 255));
    stream.WriteBuffer(&length, sizeof(length));
    stream.WriteBuffer(name.data(), length);
    if (graphic_)
        graphic_->WriteData(stream);
}

void TPicture::RegisterFileFormat(const std::string& extension, const std::string& description,
                                  TGraphicFactory factory)
{
    Registry().AddFile(NormalizeExtension(extension), description, factory);
}

void TPicture::RegisterClipboardFormat(UINT format, TGraphicFactory factory)
{
    auto& formats = Registry().clipboard;
    auto same = std::find_if(formats.begin(), formats.end(),
                             [&](const TClipboardFormat& f) { return f.format == format; });
    if (same != formats.end())
        same->factory = factory;
    else
        formats.push_back({format, factory});
    Registry().AddClass(factory);
}

void TPicture::RegisterGraphicClass(TGraphicFactory factory)
{
    Registry().AddClass(factory);
}

void TPicture::UnregisterGraphicClass(TGraphicFactory factory)
{
    TGraphicRegistry& registry = Registry();
    auto& files = registry.files;
    files.erase(std::remove_if(files.begin(), files.end(),
                               [&](const TFileFormat& f) { return f.factory == factory; }),
                files.end());
    auto& clipboard = registry.clipboard;
    clipboard.erase(std::remove_if(clipboard.begin(), clipboard.end(),
                                   [&](const TClipboardFormat& f) { return f.factory == factory; }),
                    clipboard.end());
    auto& classes = registry.classes;
    classes.erase(std::remove(classes.begin(), classes.end(), factory), classes.end());
}

TGraphicFactory TPicture::FileFormatFactory(const std::string& extension)
{
    std::string key = NormalizeExtension(extension);
    for (const TFileFormat& format : Registry().files) {
        if (format.extension == key)
            return format.factory;
    }
    return nullptr;
}

std::vector<TFileFormat> TPicture::FileFormats()
{
    return Registry().files;
}
