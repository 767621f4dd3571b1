#include "install/FInpPath.h"

#include "app/AppStrings.h"
#include "app/FMain.h"
#include "app/Pathutil.h"
#include "app/UMessage.h"
#include "framework/Application.h"
#include "framework/Bevel.h"
#include "framework/Bitmap.h"
#include "framework/Button.h"
#include "framework/Label.h"
#include "framework/Panel.h"
#include "framework/Edit.h"
#include "framework/Exception.h"
#include "framework/FrameworkStrings.h"
#include "framework/ResText.h"
#include "install/FSelDir.h"
#include "install/Filever.h"

#include <windows.h>

#include <memory>

namespace {

const DWORD kRegistryBufferSize = 256;
const DWORD kExpandBufferSize = 261;
const char kProgramFilesExpression[] = "%ProgramFiles%";
const char kCurrentVersionKey[] = "Software\\Microsoft\\Windows\\CurrentVersion";
const char kProgramFilesValue[] = "ProgramFilesDir";

// The release this update applies to: 2.0.0.x and 2.0.1.x.
const int kUpdatableMajor = 2;
const int kFirstCurrentMinor = 2;

bool IsExistingFile(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

class RegistryKey {
public:
    RegistryKey(HKEY root, const char* path)
    {
        if (RegOpenKeyExA(root, path, 0, KEY_ALL_ACCESS, &key_) != ERROR_SUCCESS
            && RegOpenKeyExA(root, path, 0, KEY_READ, &key_) != ERROR_SUCCESS)
            key_ = nullptr;
    }
    ~RegistryKey()
    {
        if (key_)
            RegCloseKey(key_);
    }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;
    bool Open() const { return key_ != nullptr; }

    // The string value; empty when missing. A value of another type is a registry error.
    std::string ReadString(const char* name) const
    {
        DWORD type = 0, size = 0;
        if (RegQueryValueExA(key_, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
            return std::string();
        if (type != REG_SZ && type != REG_EXPAND_SZ)
            throw ERegistryException(SRegistryError, {name});
        std::string value(size, '\0');
        if (size == 0
            || RegQueryValueExA(key_, name, nullptr, &type,
                                reinterpret_cast<BYTE*>(value.data()), &size) != ERROR_SUCCESS)
            return std::string();
        value.resize(value.find('\0') == std::string::npos ? size : value.find('\0'));
        return value;
    }

private:
    HKEY key_ = nullptr;
};

} // namespace

void GetInstalledVersion(const std::string& path, int& major, int& minor)
{
    major = 0;
    minor = 0;
    try {
        TFileVer reader(path);
        TProductVersion version;
        if (reader.GetProductVersion(version)) {
            major = version.Major;
            minor = version.Minor * 10 + version.Release;
        }
    } catch (...) {
        // An unreadable version is no version.
    }
}

TfrmInputPath::TfrmInputPath(TComponent* owner) : TForm(owner)
{
    AddHandler("FormCreate", &TfrmInputPath::FormCreate);
    AddHandler("Edit1Change", &TfrmInputPath::Edit1Change);
    AddHandler("BitBtn1Click", &TfrmInputPath::BitBtn1Click);
    AddHandler("FormCloseQuery", &TfrmInputPath::FormCloseQuery);
    AddField("BitBtn2", BitBtn2);
    AddField("BitBtn3", BitBtn3);
    AddField("Panel1", Panel1);
    AddField("Label2", Label2);
    AddField("Edit1", Edit1);
    AddField("BitBtn1", BitBtn1);
    AddField("Label1", Label1);
    AddField("Bevel1", Bevel1);
    ReadLayoutResource("TFRMINPUTPATH");
}

void TfrmInputPath::FormCreate(TObject*)
{
    SetCaption(Application->Title());
    LoadDefaultFolder();
}

void TfrmInputPath::SetFolder(const std::string& folder)
{
    Edit1->SetText(folder);
}

void TfrmInputPath::Edit1Change(TObject*)
{
    FExePath = JoinPath(Edit1->Text(), LoadResText(SInstalledExeName));
    TargetFolder = Edit1->Text();
    BitBtn2->SetEnabled(IsExistingFile(FExePath));
    if (!BitBtn2->Enabled())
        BitBtn2->Glyph().Assign(nullptr);
}

void TfrmInputPath::BitBtn1Click(TObject*)
{
    std::unique_ptr<TfrmSelDir> picker(new TfrmSelDir(this));
    picker->SetFolder(Edit1->Text());
    if (picker->ShowModal() == mrOk)
        Edit1->SetText(picker->GetFolder());
}

void TfrmInputPath::FormCloseQuery(TObject*, bool& canClose)
{
    if (ModalResult() != mrOk) {
        canClose = true;
        return;
    }
    canClose = false;
    Edit1Change(Edit1);
    if (!BitBtn2->Enabled())
        return;
    int major = 0, minor = 0;
    GetInstalledVersion(FExePath, major, minor);
    if (major != kUpdatableMajor)
        WarningBox(LoadResText(SCannotUpdate));
    else if (minor >= kFirstCurrentMinor)
        WarningBox(LoadResText(SAlreadyCurrent));
    else
        canClose = true;
}

void TfrmInputPath::LoadDefaultFolder()
{
    char buffer[kRegistryBufferSize] = {};
    LONG size = static_cast<LONG>(kRegistryBufferSize);
    std::string folder;
    if (RegQueryValueA(HKEY_CLASSES_ROOT, LoadResText(SInstallKey).c_str(), buffer, &size)
        == ERROR_SUCCESS)
        folder.assign(buffer, strnlen(buffer, kRegistryBufferSize));
    else
        folder = GetProgramFilesDir() + LoadResText(SDefaultSubFolder);
    SetFolder(folder);
}

std::string TfrmInputPath::GetProgramFilesDir()
{
    std::string result;
    char buffer[kExpandBufferSize] = {};
    DWORD n = ExpandEnvironmentStringsA(kProgramFilesExpression, buffer, kExpandBufferSize);
    // A longer expansion did not fit: it counts as no variable.
    if (n != 0 && n <= kExpandBufferSize) {
        std::string expanded(buffer, strnlen(buffer, kExpandBufferSize));
        if (expanded != kProgramFilesExpression)
            result = expanded;
    }
    if (result.empty()) {
        RegistryKey key(HKEY_LOCAL_MACHINE, kCurrentVersionKey);
        if (key.Open())
            result = key.ReadString(kProgramFilesValue);
    }
    return result;
}
