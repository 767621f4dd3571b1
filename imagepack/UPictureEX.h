#pragma once
// Pictures filled from resources. A TResourceImageLoader is configured by a resource file, a
// resource type and a resource name, and loads that resource into its TPictureEx, choosing the
// graphic class from the type: bitmaps become TSafetyBitmap, icons TIcon, "METAFILE" resources
// TMetafile and "JPEG" resources TSafetyJPEGImage. The resource comes from the file beside the
// executable when that file exists, otherwise from the program's own resources (TResStream).
#include "framework/graphics/JPEGImage.h"
#include "framework/graphics/Picture.h"
#include "framework/core/Persistent.h"

#include <windows.h>

#include <functional>
#include <string>

class TSafetyBitmap;
class TStream;

// A picture that knows whether its graphic came from a resource, and that drops a change
// raised while its own change is being handled.
class TPictureEx : public TPicture {
public:
    ZA2_CLASS_NAME(TPictureEx)

    bool FromResource() const { return fromResource_; }
    void SetFromResource(bool fromResource) { fromResource_ = fromResource; }
    bool Changing() const { return changing_; }
    // A picture that came from a resource is not written with its owner's properties.
    bool StoresImage() const { return !fromResource_; }

protected:
    void Changed(TObject* sender) override;

private:
    bool changing_ = false;
    bool fromResource_ = false;
};

// The JPEG graphic of JPEG resources: drawing (which may decode) never reports a change.
class TSafetyJPEGImage : public TJPEGImage {
public:
    ZA2_GRAPHIC_CLASS(TSafetyJPEGImage)

protected:
    void Draw(TCanvas& canvas, const RECT& rect) override;
};

// Called with the resource's stream before the built-in loaders; setting handled to true
// skips them.
using TLoadResourceEvent = std::function<void(TStream& stream, bool& handled)>;

class TResourceImageLoader : public TPersistent {
public:
    explicit TResourceImageLoader(TPictureEx& picture);
    ZA2_CLASS_NAME(TResourceImageLoader)

    // Relative to the executable's folder; empty: the program's own resources only.
    const std::string& ResFile() const { return resFile_; }
    // "RT_BITMAP", "RT_ICON" (exact), or a type name such as "JPEG" or "METAFILE".
    const std::string& ResType() const { return resType_; }
    const std::string& ResName() const { return resName_; }
    // A real change of a name marks the picture as not from a resource and reloads when ready.
    void SetResFile(const std::string& resFile);
    void SetResType(const std::string& resType);
    void SetResName(const std::string& resName);

    bool AutoLoad() const { return autoLoad_; }
    void SetAutoLoad(bool autoLoad) { autoLoad_ = autoLoad; }
    // Set by the owner once its stored properties are read.
    bool Ready() const { return ready_; }
    void SetReady(bool ready) { ready_ = ready; }

    // Loads the resource into the picture now; nothing when the name or the type is empty.
    // EResNotFound for a missing resource, EReadError for a damaged resource file, the
    // graphic's own error for data it cannot read.
    void Load();
    void LoadIfReady();

    // The file path Load reads (empty without ResFile) and the type id it looks for.
    std::string ResPath() const;
    const char* ResTypeId() const;

    TLoadResourceEvent OnLoadResource;

protected:
    // Into another loader: the three names (not AutoLoad), then that loader reloads if ready.
    void AssignTo(TPersistent& dest) override;

private:
    void NameChanged(std::string& field, const std::string& value);

    TPictureEx& picture_;
    std::string resFile_;
    std::string resType_;
    std::string resName_;
    bool autoLoad_ = true;
    bool ready_ = false;
};

// A bitmap resource (a DIB without its file header) loaded as a BMP file into the picture's
// TSafetyBitmap.
void LoadBitmapResource(TPicture& picture, TStream& stream);

// The picture's graphic as a TSafetyBitmap / JPEG graphic: a graphic of another class is
// replaced by a new, empty TSafetyBitmap / TSafetyJPEGImage first, without a change report of
// the picture. A picture already holding any JPEG graphic keeps it.
TSafetyBitmap& SafetyBitmapOf(TPicture& picture);
TJPEGImage& JPEGOf(TPicture& picture);

// The "JPG" and "JPEG" ("JPEG Image") picture formats, served by TSafetyJPEGImage. The program
// entry registers them at start and unregisters them at the end.
void RegisterSafetyJPEGFormats();
void UnregisterSafetyJPEGFormats();
