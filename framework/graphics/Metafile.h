#pragma once
// Metafiles: a graphic over an HENHMETAFILE, loaded from EMF (or placeable WMF) data. Its size is the
// picture frame of the metafile header in pixels of the device it was recorded for; SetWidth and
// SetHeight change the size it is drawn at. Metafiles are transparent: what they do not paint
// stays as it was.
#include "framework/graphics/Graphic.h"
#include "framework/win32/GdiHandle.h"

class TMetafile : public TGraphic {
public:
    TMetafile();
    ~TMetafile() override;
    ZA2_GRAPHIC_CLASS(TMetafile)

    // From a metafile: a copy of its records and size.
    void Assign(TPersistent* source) override;

    int Width() override { return width_; }
    int Height() override { return height_; }
    void SetWidth(int width) override;
    void SetHeight(int height) override;
    bool Empty() override { return !handle_; }
    bool Transparent() override { return true; }
    void SetTransparent(bool) override {}

    HENHMETAFILE Handle() const { return handle_.Get(); }
    // Takes ownership of metafile (0 empties); the size comes from its header.
    void SetHandle(HENHMETAFILE metafile);
    HENHMETAFILE ReleaseHandle();

    // Enhanced metafiles, and placeable Windows metafiles (converted). EInvalidGraphic
    // ("ﾒﾀﾌｧｲﾙが不正です") for anything else, and for a metafile with a record that is not
    // one a picture needs or that reaches past its data, tables or picture (EnhMetafileWalk.h,
    // WinMetafileWalk.h): whatever loads draws quickly. Exactly the metafile's bytes are read.
    void LoadFromStream(TStream& stream) override;
    // Always an enhanced metafile.
    void SaveToStream(TStream& stream) override;

    // CF_ENHMETAFILE: the handle is copied, and checked like a loaded metafile.
    void LoadFromClipboardFormat(UINT format, HANDLE data, HPALETTE palette) override;
    void SaveToClipboardFormat(UINT& format, HANDLE& data, HPALETTE& palette) override;

protected:
    void Draw(TCanvas& canvas, const RECT& rect) override;

private:
    void TakeMetafile(HENHMETAFILE metafile);
    void LoadPlaceable(TStream& stream, long remaining);

    TOwnedEnhMetaFile handle_;
    int width_ = 0;
    int height_ = 0;
};
