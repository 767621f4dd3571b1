#pragma once
// Image packs: non-visual components holding images numbered from 0, handed out as rectangles
// of a source picture, as pictures of their own, or drawn onto canvases. TImagePack derives
// everything from three abstract operations (GetCount, GetImageRect, GetImage); concrete packs
// supply them and call Change when their content changes.
#include "imagepack/UNotifyList.h"
#include "framework/core/Component.h"
#include "framework/core/Events.h"
#include "framework/core/Exception.h"

#include <windows.h>

#include <memory>

class TCanvas;
class TPicture;

ZA2_EXCEPTION_KIND(EImagePack, Exception);

int RectWidth(const RECT& rect);
int RectHeight(const RECT& rect);

class TImagePack : public TComponent {
public:
    explicit TImagePack(TComponent* owner);
    ~TImagePack() override;
    ZA2_CLASS_NAME(TImagePack)

    // Notifies the listeners, then OnChange. A failing handler stops the rest.
    virtual void Change();

    virtual int GetCount() = 0;
    // The base refuses (EImagePack "Cannot set count of ImagePack").
    virtual void SetCount(int value);
    virtual RECT GetImageRect(int index) = 0;
    // The base refuses (EImagePack "Cannot set ImageRect of ImagePack").
    virtual void SetImageRect(int index, const RECT& rect);

    // Edges of GetImageRect; the setters move or resize the rectangle and store it with
    // SetImageRect.
    virtual int GetImageLeft(int index);
    virtual void SetImageLeft(int index, int value);
    virtual int GetImageTop(int index);
    virtual void SetImageTop(int index, int value);
    virtual int GetImageWidth(int index);
    virtual void SetImageWidth(int index, int value);
    virtual int GetImageHeight(int index);
    virtual void SetImageHeight(int index, int value);

    // Image index at its own size with its top-left corner at (x, y), through StretchDraw.
    virtual void Draw(TCanvas& canvas, int x, int y, int index);
    // Image index scaled into rect; the base draws the picture GetImage gives (nothing when
    // it stays empty).
    virtual void StretchDraw(TCanvas& canvas, const RECT& rect, int index);
    // Puts image index into picture.
    virtual void GetImage(TPicture& picture, int index) = 0;
    virtual bool IsInvalidIndex(int index);

    int Count() { return GetCount(); }

    TNotifyList& NotifyList() { return *notifyList_; }

    TNotifyEvent OnChange;

private:
    std::unique_ptr<TNotifyList> notifyList_;
};
