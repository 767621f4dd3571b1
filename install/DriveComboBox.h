#pragma once
// The drive list: the system's drives as upper-case letters ("C:"). Linked to a folder list,
// choosing a drive moves the list to that drive's root, and the list's moves to another drive
// select that drive here.
#include "framework/ui/Control.h"

#include <string>

class TDirectoryListBox;

class TDriveComboBox : public TWinControl {
public:
    explicit TDriveComboBox(TComponent* owner);
    ~TDriveComboBox() override;
    ZA2_CLASS_NAME(TDriveComboBox)

    // The selected drive letter (upper case), or 0 for none.
    char Drive() const { return drive_; }
    void SetDrive(char drive);
    TDirectoryListBox* DirList() const { return dirList_; }
    void SetDirList(TDirectoryListBox* list);
    int Count() const { return static_cast<int>(drives_.size()); }

protected:
    void CreateParams(TCreateParams& params) override;
    void HandleCreated() override;
    void BoundsChanged() override;
    void Command(WORD code) override;

private:
    void FollowDirList();
    void ShowSelection();
    void ChooseSelected();

    std::string drives_; // one letter a drive
    char drive_ = 0;
    TDirectoryListBox* dirList_ = nullptr;
};

void RegisterDriveComboBoxKind();
