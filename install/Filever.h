#pragma once
// Reads the version resource of an executable: the product version of its fixed file info.
#include "framework/core/Object.h"

#include <windows.h>

#include <memory>
#include <string>

// The product version of a file, word by word (high to low).
struct TProductVersion {
    WORD Major;
    WORD Minor;
    WORD Release;
    WORD Build;
};

// Holds one file's version-information block, read on first use and kept until the file name
// changes. Absence (no file, no version resource, a name too long) is reported by false and
// nullptr results only; nothing is raised.
class TFileVer : public TObject {
public:
    explicit TFileVer(const std::string& fileName);
    ~TFileVer() override;
    TFileVer(const TFileVer&) = delete;
    TFileVer& operator=(const TFileVer&) = delete;
    ZA2_CLASS_NAME(TFileVer)

    const std::string& FileName() const { return FFileName; }
    // Takes the new name; its block is read by the next query.
    void SetFileName(const std::string& fileName);

    // Reads the block unless one is held; true when one is held afterwards.
    bool LoadInfo();
    void FreeInfo();
    // The root block of the held version information, or nullptr.
    const VS_FIXEDFILEINFO* GetFixedInfo();
    // Fills version and returns true, or returns false and leaves version as it was.
    bool GetProductVersion(TProductVersion& version);

private:
    std::unique_ptr<BYTE[]> FInfo;
    std::string FFileName;
};
