#pragma once
// Enhanced metafiles: a graphic over an HENHMETAFILE, loaded from EMF data. Its size is the
// picture frame of the metafile header in pixels of the device it was recorded for; SetWidth and
// SetHeight change the size it is drawn at. Metafiles are transparent: what they do not paint
// stays as it was.
#include "framework/GdiHandle.h"
#include "framework/Graphic.h"

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

    HENHMETAFILE Handle() const { return handle_.Get(); }
    // Takes ownership of metafile (0 empties); the size comes from its header.
    void SetHandle(HENHMETAFILE metafile);
    HENHMETAFILE ReleaseHandle();

    // EInvalidGraphic ("ﾒﾀﾌｧｲﾙが不正です") for data that is no enhanced metafile.
    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream& stream) override;

    // CF_ENHMETAFILE: the handle is copied.
    void LoadFromClipboardFormat(UINT format, HANDLE data, HPALETTE palette) override;
    void SaveToClipboardFormat(UINT& format, HANDLE& data, HPALETTE& palette) override;

protected:
    void Draw(TCanvas& canvas, const RECT& rect) override;

private:
    void TakeMetafile(HENHMETAFILE metafile);

    TOwnedEnhMetaFile handle_;
    int width_ = 0;
    int height_ = 0;
};
