#include "UpdaterCopy.h"

#include "e2e/Driver.h"

#include <windows.h>

#include <cstring>

namespace {

const char kAppDefaults[] = "Software\\Wine\\AppDefaults\\";
const char kOverrides[] = "\\DllOverrides";
const char kNativeFirst[] = "native,builtin";
const char kMarkers[] = "*.loaded";

void SetValue(const std::string& key, const char* name, const char* data)
{
    HKEY handle = nullptr;
    if (RegCreateKeyA(HKEY_CURRENT_USER, key.c_str(), &handle) != ERROR_SUCCESS)
        return;
    RegSetValueExA(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data),
                   static_cast<DWORD>(std::strlen(data) + 1));
    RegCloseKey(handle);
}

} // namespace

UpdaterCopy::UpdaterCopy(const std::string& builtExe, const std::string& name)
    : path_(folder_.File(name)), key_(kAppDefaults + name)
{
    CopyFileA(UpdaterExe(builtExe.c_str()).c_str(), path_.c_str(), FALSE);
}

UpdaterCopy::~UpdaterCopy()
{
    RegDeleteKeyA(HKEY_CURRENT_USER, (key_ + kOverrides).c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, key_.c_str());
}

void UpdaterCopy::ReportWindows98() const
{
    SetValue(key_, "Version", "win98");
}

void UpdaterCopy::PlantDlls(const std::string& plantedFolder) const
{
    for (const std::string& dll : FileNames(plantedFolder, "*.dll")) {
        CopyFileA((plantedFolder + "\\" + dll).c_str(), folder_.File(dll).c_str(), FALSE);
        SetValue(key_ + kOverrides, dll.substr(0, dll.rfind('.')).c_str(), kNativeFirst);
    }
}

std::vector<std::string> UpdaterCopy::Markers() const
{
    return FileNames(folder_.Path(), kMarkers);
}
