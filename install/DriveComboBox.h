#pragma once
// The drive list of the folder picker (letters in upper case), linked to a folder list: choosing
// a drive moves the folder list there, and the folder list moving to another drive moves it.
#include "framework/Control.h"

class TDirectoryListBox;

class TDriveComboBox : public TWinControl {
public:
    explicit TDriveComboBox(TComponent* owner);
    ZA2_CLASS_NAME(TDriveComboBox)

    char Drive() const { return drive_; }
    void SetDirList(TDirectoryListBox* list);

protected:
    void CreateParams(TCreateParams& params) override;
    void HandleCreated() override;
    void Command(WORD code) override;

private:
    void Fill();
    void FollowList();

    TDirectoryListBox* dirList_ = nullptr;
    char drive_ = 'C';
};
