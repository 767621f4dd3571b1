#pragma once
// The folder entry dialog: proposes the installation folder, lets the user type or pick one,
// enables "開始" only where the installed executable exists, and closes with OK only for an
// installed release that this update applies to.
#include "framework/Form.h"

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
    void Edit1Change(TObject* sender);
    void BitBtn1Click(TObject* sender);
    void FormCloseQuery(TObject* sender, bool& canClose);

    void SetFolder(const std::string& folder);
    // The proposal: the folder the program recorded at installation, else Program Files.
    void LoadDefaultFolder();
    std::string GetProgramFilesDir();

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

// The installed executable's product version as (major, minor x 10 + release); (0, 0) when it
// cannot be read. Never raises.
void GetInstalledVersion(const std::string& path, int& major, int& minor);
