#pragma once
// Graphics: pictures of one kind (bitmap, icon, metafile, ...) that can be loaded, saved,
// assigned and drawn on a canvas. A graphic owns every GDI object it holds; the palette given
// to SetPalette becomes the graphic's.
//
// Deriving a graphic:
//   class TMyGraphic : public TGraphic {
//   public:
//       ZA2_GRAPHIC_CLASS(TMyGraphic)    // ClassName and the virtual constructor
//       ... override Width/Height/Empty/SetWidth/SetHeight/LoadFromStream/SaveToStream ...
//   protected:
//       void Draw(TCanvas& canvas, const RECT& rect) override;
//   };
// and call Changed(this) after every change of the image.
#include "framework/win32/GdiHandle.h"
#include "framework/core/Events.h"
#include "framework/core/Persistent.h"

#include <windows.h>

#include <memory>
#include <string>

class TCanvas;
class TStream;
class TGraphic;

// Makes a new, empty graphic of one class. Also serves as the class's identity in the
// picture's registries: GraphicFactory<T>() is the same pointer wherever it is taken.
using TGraphicFactory = std::unique_ptr<TGraphic> (*)();

template <class T>
std::unique_ptr<TGraphic> MakeGraphic()
{
    return std::make_unique<T>();
}
template <class T>
constexpr TGraphicFactory GraphicFactory()
{
    return &MakeGraphic<T>;
}

#define ZA2_GRAPHIC_CLASS(Name)                                        \
    ZA2_CLASS_NAME(Name)                                               \
    std::unique_ptr<TGraphic> NewInstance() const override             \
    {                                                                  \
        return std::make_unique<Name>();                               \
    }                                                                  \
    TGraphicFactory Factory() const override { return GraphicFactory<Name>(); }

class TGraphic : public TPersistent {
public:
    ~TGraphic() override;
    ZA2_CLASS_NAME(TGraphic)

    // The virtual constructor: a new, empty graphic of this object's class.
    virtual std::unique_ptr<TGraphic> NewInstance() const = 0;
    virtual TGraphicFactory Factory() const = 0;
    // A new graphic of the same class holding this one's value.
    std::unique_ptr<TGraphic> Clone();

    virtual int Width() = 0;
    virtual int Height() = 0;
    virtual void SetWidth(int width) = 0;
    virtual void SetHeight(int height) = 0;
    virtual bool Empty() = 0;

    // The palette the graphic draws with (0: none); owned by the graphic, callers that keep it
    // take a copy. The default graphic has no palette and deletes what it is given.
    virtual HPALETTE Palette() { return nullptr; }
    virtual void SetPalette(TOwnedPalette) {}

    virtual bool Transparent() { return transparent_; }
    virtual void SetTransparent(bool transparent);

    // Set by every change; SetModified(true) also reports a change.
    bool Modified() const { return modified_; }
    void SetModified(bool modified);

    virtual void LoadFromStream(TStream& stream) = 0;
    virtual void SaveToStream(TStream& stream) = 0;
    void LoadFromFile(const std::string& path);
    void SaveToFile(const std::string& path);

    // The graphic's data as stored in a window layout; by default the stream form itself.
    virtual void ReadData(TStream& stream) { LoadFromStream(stream); }
    virtual void WriteData(TStream& stream) { SaveToStream(stream); }

    // Clipboard forms; the default knows none (EInvalidGraphic, "未対応のｸﾘｯﾌﾟﾎﾞｰﾄﾞ ﾃﾞｰﾀです").
    virtual void LoadFromClipboardFormat(UINT format, HANDLE data, HPALETTE palette);
    virtual void SaveToClipboardFormat(UINT& format, HANDLE& data, HPALETTE& palette);

    // Same class and same saved bytes.
    virtual bool Equals(TGraphic& other);

    TNotifyEvent OnChange;

protected:
    friend class TCanvas;
    TGraphic() = default;

    // Draws the whole graphic scaled into rect; called by the canvas's Draw and StretchDraw.
    virtual void Draw(TCanvas& canvas, const RECT& rect) = 0;
    // Marks the graphic modified and fires OnChange with this graphic as sender.
    virtual void Changed(TObject* sender);

private:
    bool transparent_ = false;
    bool modified_ = false;
};
