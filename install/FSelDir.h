#pragma once
// The folder picker behind "参照(&R)...": a folder list and a drive list; "はい" hands back the
// folder that the list has open.
#include "framework/ui/Form.h"

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

    // Opens the folder, or its nearest ancestor that can be entered; with none, the list keeps
    // its folder. A bare drive ("D:") opens the drive's root.
    void SetFolder(const std::string& folder);
    // The folder the list has open (not a merely highlighted entry).
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
