#pragma once
// A copy of the updater in a folder of its own, under a name of its own for the Wine settings
// that a run needs (Wine keys them by file name): the Windows family it reports, and DLLs planted
// beside it that Wine is told to prefer.
#include "support/TempFolder.h"

#include <string>
#include <vector>

class UpdaterCopy {
public:
    // Copies the updater under test (see UpdaterExe) as name.
    UpdaterCopy(const std::string& builtExe, const std::string& name);
    ~UpdaterCopy();  // removes the settings
    UpdaterCopy(const UpdaterCopy&) = delete;
    UpdaterCopy& operator=(const UpdaterCopy&) = delete;
    const std::string& Path() const { return path_; }

    // Wine reports the Windows 95/98 family to this copy.
    void ReportWindows98() const;

    // Puts every DLL of plantedFolder beside the copy and makes Wine take a DLL of such a name
    // from the program's folder first, as Windows does for every DLL that is not a KnownDLL.
    void PlantDlls(const std::string& plantedFolder) const;

    // The markers (*.loaded) that loaded planted DLLs left beside the copy.
    std::vector<std::string> Markers() const;

private:
    TempFolder folder_;
    std::string path_;
    std::string key_;
};
