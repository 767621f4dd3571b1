#include "framework/graphics/Graphic.h"

#include "framework/core/Exception.h"
#include "framework/core/FrameworkStrings.h"
#include "framework/core/Stream.h"

#include <cstring>

TGraphic::~TGraphic() = default;

std::unique_ptr<TGraphic> TGraphic::Clone()
{
    std::unique_ptr<TGraphic> copy = NewInstance();
    copy->Assign(this);
    return copy;
}

void TGraphic::SetTransparent(bool transparent)
{
    if (transparent != transparent_) {
        transparent_ = transparent;
        Changed(this);
    }
}

void TGraphic::SetModified(bool modified)
{
    if (modified)
        Changed(this);
    else
        modified_ = false;
}

void TGraphic::Changed(TObject*)
{
    modified_ = true;
    Fire(OnChange, this);
}

void TGraphic::LoadFromFile(const std::string& path)
{
    TFileStream stream(path, TFileStream::Mode::OpenRead);
    LoadFromStream(stream);
}

void TGraphic::SaveToFile(const std::string& path)
{
    TFileStream stream(path, TFileStream::Mode::Create);
    SaveToStream(stream);
}

void TGraphic::LoadFromClipboardFormat(UINT, HANDLE, HPALETTE)
{
    throw EInvalidGraphic(SUnsupportedClipboard);
}

void TGraphic::SaveToClipboardFormat(UINT&, HANDLE&, HPALETTE&)
{
    throw EInvalidGraphic(SUnsupportedClipboard);
}

bool TGraphic::Equals(TGraphic& other)
{
    if (&other == this)
        return true;
    if (other.Factory() != Factory() || other.Empty() != Empty())
        return false;
    if (Empty())
        return true;
    TMemoryStream mine, theirs;
    SaveToStream(mine);
    other.SaveToStream(theirs);
    return mine.Size() == theirs.Size() &&
           std::memcmp(mine.Memory(), theirs.Memory(), static_cast<size_t>(mine.Size())) == 0;
}
