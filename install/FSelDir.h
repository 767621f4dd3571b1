#pragma once
// The folder picker: a folder list and a drive list; it starts at the folder typed so far (or
// its nearest parent that can be entered) and hands back the folder the list shows.
#include "framework/Form.h"

#include <string>

class TBitBtn;
class TDirectoryListBox;
class TDriveComboBox;
class TLabel;
class TPanel;

class TfrmSelDir : public TForm {
public:
    explicit TfrmSelDir(TComponent* owner);
    ZA2_CLASS_NAME(TfrmSelDir)

    void FormCreate(TObject* sender);
    void SetFolder(const std::string& path);
    std::string GetFolder() const;

    TBitBtn* OKBtn = nullptr;
    TBitBtn* CancelBtn = nullptr;
    TPanel* Panel1 = nullptr;
    TDirectoryListBox* DirectoryListBox = nullptr;
    TDriveComboBox* DriveComboBox1 = nullptr;
    TLabel* lblDirName = nullptr;
    TLabel* Label1 = nullptr;
    TLabel* Label2 = nullptr;
};

// Lets layouts declare folder lists and drive lists. Safe to call more than once.
void RegisterFolderPickerKinds();
