#pragma once
// A device-independent copy of a bitmap that can be stretched onto any canvas with
// StretchDIBits. Its pixels are held by a reference-counted holder that TDIB objects share:
// a copy made from a DIB section shares the section's bits; one made from a device-dependent
// bitmap owns bits extracted from it, freed with the last TDIB that refers to them.
#include <windows.h>
#include <unknwn.h>

#include <utility>

class TBitmap;
class TCanvas;

// {6F0D2C8E-4B5A-4E39-9C1F-2A7B3D58E410}
extern const IID IID_IBitsHolder;

// The holder of a TDIB's pixel memory.
struct IBitsHolder : public IUnknown {
    virtual void STDMETHODCALLTYPE SetBits(void* bits, BOOL owns) = 0;
    virtual void* STDMETHODCALLTYPE GetBits() = 0;
};

// Holds bits, freeing them (std::free) when it goes if it owns them.
class TBitsHolder final : public IBitsHolder {
public:
    // A new holder with one reference, for the caller.
    static IBitsHolder* Create();

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    void STDMETHODCALLTYPE SetBits(void* bits, BOOL owns) override;
    void* STDMETHODCALLTYPE GetBits() override;

    // Holders alive now (for checks that owned bits are freed).
    static int LiveCount();

private:
    TBitsHolder();
    ~TBitsHolder();
    void FreeOwnedBits();

    ULONG refCount_ = 1;
    bool owns_ = false;
    void* bits_ = nullptr;
};

// A counted reference to a COM-style object: released when it goes, AddRef on copy.
template <class I>
class TInterfaceRef {
public:
    TInterfaceRef() = default;
    // Takes over a reference the caller already holds.
    static TInterfaceRef Adopt(I* object)
    {
        TInterfaceRef ref;
        ref.object_ = object;
        return ref;
    }
    TInterfaceRef(const TInterfaceRef& other) : object_(other.object_)
    {
        if (object_)
            object_->AddRef();
    }
    TInterfaceRef(TInterfaceRef&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
    TInterfaceRef& operator=(TInterfaceRef other) noexcept
    {
        std::swap(object_, other.object_);
        return *this;
    }
    ~TInterfaceRef()
    {
        if (object_)
            object_->Release();
    }
    I* Get() const { return object_; }
    I* operator->() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }

private:
    I* object_ = nullptr;
};

// A BITMAPINFO with room for a 256-entry colour table (1,064 bytes).
struct TDIBHeader {
    BITMAPINFOHEADER header;
    RGBQUAD colors[256];
};

class TDIB {
public:
    TDIB();
    TDIB(const TDIB&) = delete;
    TDIB& operator=(const TDIB&) = delete;

    // Shares source's bits and copies its header and colour table.
    void Assign(const TDIB& source);
    // From a framework bitmap, with its palette where it decides the colours.
    void AssignBitmap(TBitmap& bitmap);
    // From a DIB section (bits shared; the section must outlive their use; palette unused) or a
    // device-dependent bitmap (bits extracted with palette, when not 0, selected and realised;
    // the colour table then takes the palette's colours). Where GDI reports a top-down
    // section's height without its sign, the section is taken for bottom-up (AssignBitmap
    // asks the bitmap instead).
    void AssignHandle(HBITMAP bitmap, HPALETTE palette);

    // StretchDIBits of sourceRect into destRect with the canvas's copy mode; false when GDI
    // refused. Empty rectangles and invisible destinations draw nothing and succeed.
    bool Draw(TCanvas& canvas, const RECT& destRect, const RECT& sourceRect);
    // Draw; when that fails, the whole image one destination row at a time.
    void DrawWithRowFallback(TCanvas& canvas, const RECT& destRect, const RECT& sourceRect);

    const BITMAPINFOHEADER& Header() const { return info_.header; }
    const RGBQUAD* Colors() const { return info_.colors; }
    // The pixel memory (null before the first assignment).
    void* Bits() const;
    // The holder's interface (empty before the first assignment).
    TInterfaceRef<IBitsHolder> Holder() const;

private:
    void TakeSection(HBITMAP section, const DIBSECTION& description, IBitsHolder& holder);
    void ExtractBits(HBITMAP bitmap, HPALETTE palette, IBitsHolder& holder);

    TInterfaceRef<IUnknown> bits_;
    TDIBHeader info_;
};
