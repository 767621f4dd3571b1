#pragma once
// The folder entry dialog: proposes the installation folder, publishes the typed folder as the
// target folder, enables "開始" only while the installed executable (or the journal of an update
// cut short) is there, makes such an installation whole again when "開始" is pressed, and closes
// with OK only for an installed release that this update applies to.
#include "framework/ui/Form.h"

#include <string>

class TBevel;
class TBitBtn;
class TEdit;
class TLabel;
class TPanel;

class TfrmInputPath : public TForm {
public:
    explicit TfrmInputPath(TComponent* owner);
    ZA2_CLASS_NAME(TfrmInputPath)

    void FormCreate(TObject* sender);
    void FormCloseQuery(TObject* sender, bool& canClose);
    void Edit1Change(TObject* sender);
    void BitBtn1Click(TObject* sender);

    // The folder recorded at installation, else the Program Files folder with the default
    // sub-folder; handed to SetFolder.
    void LoadDefaultFolder();
    // The Program Files folder from the environment, else from the registry; empty when
    // neither has one. A registry value that is no text raises ERegistryException.
    std::string GetProgramFilesDir();
    void SetFolder(const std::string& folder);

    // The installed executable derived from the last folder text.
    const std::string& ExePath() const { return FExePath; }

    TBitBtn* BitBtn2 = nullptr;
    TBitBtn* BitBtn3 = nullptr;
    TPanel* Panel1 = nullptr;
    TLabel* Label2 = nullptr;
    TEdit* Edit1 = nullptr;
    TBitBtn* BitBtn1 = nullptr;
    TLabel* Label1 = nullptr;
    TBevel* Bevel1 = nullptr;

private:
    std::string FExePath;
};

// The installed release as (major, minor × 10 + release) of the file's product version;
// (0, 0) when it cannot be read. Never raises.
void GetInstalledVersion(const std::string& path, int& major, int& minor);
