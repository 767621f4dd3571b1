#include "install/FInpPath.h"

#include "install/Filever.h"
#include "install/FSelDir.h"
#include "app/AppStrings.h"
#include "app/FMain.h"
#include "app/Pathutil.h"
#include "app/UMessage.h"
#include "app/UpdateJournal.h"
#include "app/UpdateRecovery.h"
#include "framework/layout/Layout.h"
#include "framework/ui/Application.h"
#include "framework/ui/Bevel.h"
#include "framework/ui/Button.h"
#include "framework/ui/Edit.h"
#include "framework/ui/Label.h"
#include "framework/ui/Panel.h"
#include "framework/graphics/Bitmap.h"
#include "framework/win32/RegistryKey.h"
#include "framework/core/ResText.h"

#include <windows.h>

#include <cstring>
#include <memory>
#include <vector>

namespace {

const LONG kRegistryBufferSize = 256;
const DWORD kExpandBufferSize = 261;
const char kProgramFilesExpression[] = "%ProgramFiles%";
const char kCurrentVersionKey[] = "Software\\Microsoft\\Windows\\CurrentVersion";
const char kProgramFilesValue[] = "ProgramFilesDir";

// The release this updater applies to: major 2, minor × 10 + release at most 1.
const int kUpdatableMajor = 2;
const int kLastUpdatableMinor = 1;
const int kMinorWeight = 10;

// The folder recorded at installation; false when the entry is missing or does not fit.
bool ReadRecordedFolder(std::string& folder)
{
    char buffer[kRegistryBufferSize] = {};
    LONG size = kRegistryBufferSize;
    if (RegQueryValueA(HKEY_CLASSES_ROOT, LoadResText(SInstallKey).c_str(), buffer, &size)
        != ERROR_SUCCESS)
        return false;
    folder.assign(buffer, strnlen(buffer, sizeof buffer));
    return true;
}

// The expansion of %ProgramFiles%; empty when the variable is undefined or too long.
std::string ExpandProgramFiles()
{
    char buffer[kExpandBufferSize] = {};
    DWORD n = ExpandEnvironmentStringsA(kProgramFilesExpression, buffer, kExpandBufferSize);
    if (n == 0 || n > kExpandBufferSize)
        return std::string();
    std::string text(buffer, strnlen(buffer, sizeof buffer));
    return text == kProgramFilesExpression ? std::string() : text;
}

} // namespace

TfrmInputPath::TfrmInputPath(TComponent* owner) : TForm(owner)
{
    AddHandler("FormCreate", &TfrmInputPath::FormCreate);
    AddHandler("FormCloseQuery", &TfrmInputPath::FormCloseQuery);
    AddHandler("Edit1Change", &TfrmInputPath::Edit1Change);
    AddHandler("BitBtn1Click", &TfrmInputPath::BitBtn1Click);
    AddField("BitBtn2", BitBtn2);
    AddField("BitBtn3", BitBtn3);
    AddField("Panel1", Panel1);
    AddField("Label2", Label2);
    AddField("Edit1", Edit1);
    AddField("BitBtn1", BitBtn1);
    AddField("Label1", Label1);
    AddField("Bevel1", Bevel1);
    ReadLayoutResource(*this, "TFRMINPUTPATH");
}

void TfrmInputPath::FormCreate(TObject*)
{
    SetCaption(Application->Title());
    LoadDefaultFolder();
}

void TfrmInputPath::LoadDefaultFolder()
{
    std::string folder;
    if (!ReadRecordedFolder(folder))
        folder = GetProgramFilesDir() + LoadResText(SDefaultSubFolder);
    SetFolder(folder);
}

std::string TfrmInputPath::GetProgramFilesDir()
{
    std::string result = ExpandProgramFiles();
    if (!result.empty())
        return result;
    TOwnedRegKey key = OpenRegKey(HKEY_LOCAL_MACHINE, kCurrentVersionKey, KEY_ALL_ACCESS);
    if (!key)
        key = OpenRegKey(HKEY_LOCAL_MACHINE, kCurrentVersionKey, KEY_READ);
    return ReadRegString(key.Get(), kProgramFilesValue);
}

void TfrmInputPath::SetFolder(const std::string& folder)
{
    Edit1->SetText(folder);
}

void TfrmInputPath::Edit1Change(TObject*)
{
    const std::string text = Edit1->Text();
    FExePath = JoinPath(text, LoadResText(SInstalledExeName));
    TargetFolder = text;
    // A crash during an earlier update may have taken the executable away for a moment: the
    // journal it left makes the folder one to update all the same.
    BitBtn2->SetEnabled(FileExists(FExePath) || TUpdateJournal::Present(text));
    if (!BitBtn2->Enabled())
        BitBtn2->Glyph().Assign(nullptr);
}

void TfrmInputPath::BitBtn1Click(TObject*)
{
    auto picker = std::make_unique<TfrmSelDir>(this);
    picker->SetFolder(Edit1->Text());
    if (picker->ShowModal() == mrOk)
        SetFolder(picker->GetFolder());
}

void TfrmInputPath::FormCloseQuery(TObject*, bool& canClose)
{
    if (ModalResult() != mrOk) {
        canClose = true;
        return;
    }
    canClose = false;
    // The file system may have changed since the last keystroke.
    Edit1Change(this);
    if (!BitBtn2->Enabled())
        return;
    // An update cut short by a crash is first made whole, then the installed release is read.
    RecoverInterruptedUpdate(TargetFolder,
                             frmMain ? frmMain->UpdateList() : std::vector<std::string>());
    Edit1Change(this);
    if (!BitBtn2->Enabled())
        return;
    int major = 0, minor = 0;
    GetInstalledVersion(FExePath, major, minor);
    if (major != kUpdatableMajor)
        WarningBox(LoadResText(SCannotUpdate));
    else if (minor > kLastUpdatableMinor)
        WarningBox(LoadResText(SAlreadyCurrent));
    else
        canClose = true;
}

void GetInstalledVersion(const std::string& path, int& major, int& minor)
{
    major = 0;
    minor = 0;
    try {
        TFileVer reader(path);
        TProductVersion version;
        if (reader.GetProductVersion(version)) {
            major = version.Major;
            minor = version.Minor * kMinorWeight + version.Release;
        }
    } catch (...) {
        // An unreadable version is a release this update does not apply to.
    }
}
