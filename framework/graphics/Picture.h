#pragma once
// Pictures: a holder of one graphic of any class (or none). The picture owns its graphic,
// reports every change of it (OnChange), and makes graphics by file extension or clipboard
// format from its registries.
//
// Registering a format:   TPicture::RegisterFileFormat("BMP", "Bitmaps", GraphicFactory<T>());
// A later registration of the same extension (any case) replaces the earlier one.
// At start the registry holds "BMP" (TBitmap), "ICO" (TIcon), "EMF" (TMetafile).
#include "framework/graphics/Graphic.h"
#include "framework/core/Events.h"
#include "framework/core/Persistent.h"

#include <memory>
#include <string>
#include <vector>

class TBitmap;
class TIcon;
class TMetafile;
class TStream;

struct TFileFormat {
    std::string extension;     // upper case, without the dot
    std::string description;
    TGraphicFactory factory;
};

class TPicture : public TPersistent {
public:
    TPicture();
    ~TPicture() override;
    ZA2_CLASS_NAME(TPicture)

    // The graphic (null when the picture is empty); owned by the picture.
    TGraphic* Graphic() const { return graphic_.get(); }
    // Takes a copy of graphic (a new graphic of its class, assigned from it); null empties.
    void SetGraphic(TGraphic* graphic);
    // Takes graphic itself.
    void TakeGraphic(std::unique_ptr<TGraphic> graphic);

    // The graphic as T; a graphic of another class is replaced by a new, empty T first.
    template <class T>
    T& GraphicAs()
    {
        if (T* current = dynamic_cast<T*>(graphic_.get()))
            return *current;
        auto fresh = std::make_unique<T>();
        T& result = *fresh;
        TakeGraphic(std::move(fresh));
        return result;
    }
    TBitmap& Bitmap();
    TIcon& Icon();
    TMetafile& Metafile();

    int Width() const;    // 0 when empty
    int Height() const;

    // From a picture (its graphic is copied), a graphic (copied), or null (emptied).
    void Assign(TPersistent* source) override;

    // By the file's extension (EInvalidGraphic "未知のﾋﾟｸﾁｬﾌｧｲﾙ拡張子 (.%s) です" when unknown).
    void LoadFromFile(const std::string& path);
    void SaveToFile(const std::string& path);   // the graphic's own format

    void LoadFromClipboardFormat(UINT format, HANDLE data, HPALETTE palette);
    void SaveToClipboardFormat(UINT& format, HANDLE& data, HPALETTE& palette);
    static bool SupportsClipboardFormat(UINT format);

    // Stored form in window layouts: the graphic's class name (1 length byte, then the name;
    // empty for no graphic) followed by the graphic's WriteData.
    void ReadData(TStream& stream);
    void WriteData(TStream& stream);

    // Registries. Extensions compare without case and without a leading dot.
    static void RegisterFileFormat(const std::string& extension, const std::string& description,
                                   TGraphicFactory factory);
    static void RegisterClipboardFormat(UINT format, TGraphicFactory factory);
    // Makes factory's class known by name for ReadData (formats register their class too).
    static void RegisterGraphicClass(TGraphicFactory factory);
    // Removes every file format, clipboard format and class entry of factory.
    static void UnregisterGraphicClass(TGraphicFactory factory);
    static TGraphicFactory FileFormatFactory(const std::string& extension);   // null: none
    static std::vector<TFileFormat> FileFormats();

    TNotifyEvent OnChange;

protected:
    // Fires OnChange with this picture as sender; every change of the graphic arrives here.
    virtual void Changed(TObject* sender);
    void AssignTo(TPersistent& dest) override;

private:
    void Attach(TGraphic& graphic);

    std::unique_ptr<TGraphic> graphic_;
};
