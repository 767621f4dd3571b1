#include "install/Filever.h"

#include "framework/win32/SystemLibrary.h"

#include <array>
#include <cstring>
#include <new>

namespace {

// The reader hands version.dll a fixed buffer of this size; longer names count as no version.
constexpr std::size_t kFileNameBufferSize = 256;

// The sub-block path of the fixed file info, the root of the version block.
const char kRootBlock[] = "\\";

} // namespace

TFileVer::TFileVer(const std::string& fileName)
{
    SetFileName(fileName);
}

TFileVer::~TFileVer()
{
    FreeInfo();
}

void TFileVer::SetFileName(const std::string& fileName)
{
    FFileName = fileName;
    FreeInfo();
}

bool TFileVer::LoadInfo()
{
    if (FInfo)
        return true;
    // The name is handed on as a C string: it ends at its first NUL, like any Win32 name.
    std::size_t length = std::strlen(FFileName.c_str());
    if (length >= kFileNameBufferSize)
        return false;
    std::array<char, kFileNameBufferSize> name{};
    std::memcpy(name.data(), FFileName.c_str(), length);

    // A system without the version functions reads as a file without version information.
    const TSystemFunctions& system = SystemFunctions();
    if (!system.GetFileVersionInfoSizeA || !system.GetFileVersionInfoA)
        return false;
    DWORD handle = 0;
    DWORD size = system.GetFileVersionInfoSizeA(name.data(), &handle);
    if (size == 0)
        return false;
    FInfo.reset(new (std::nothrow) BYTE[size]);
    if (!FInfo)
        return false;
    if (!system.GetFileVersionInfoA(name.data(), handle, size, FInfo.get())) {
        FreeInfo();
        return false;
    }
    return true;
}

void TFileVer::FreeInfo()
{
    FInfo.reset();
}

const VS_FIXEDFILEINFO* TFileVer::GetFixedInfo()
{
    const TSystemFunctions& system = SystemFunctions();
    if (!system.VerQueryValueA || !LoadInfo())
        return nullptr;
    void* fixed = nullptr;
    UINT length = 0;
    if (!system.VerQueryValueA(FInfo.get(), kRootBlock, &fixed, &length))
        return nullptr;
    // A block whose root carries no (or a cut) fixed info would make the caller read past it.
    if (!fixed || length < sizeof(VS_FIXEDFILEINFO))
        return nullptr;
    return static_cast<const VS_FIXEDFILEINFO*>(fixed);
}

bool TFileVer::GetProductVersion(TProductVersion& version)
{
    const VS_FIXEDFILEINFO* fixed = GetFixedInfo();
    if (!fixed)
        return false;
    version.Major = HIWORD(fixed->dwProductVersionMS);
    version.Minor = LOWORD(fixed->dwProductVersionMS);
    version.Release = HIWORD(fixed->dwProductVersionLS);
    version.Build = LOWORD(fixed->dwProductVersionLS);
    return true;
}
