#include "install/DriveComboBox.h"

#include "install/DirectoryListBox.h"

#include <windows.h>

#include <cctype>
#include <string>

namespace {
const int kDefaultWidth = 145;
const int kListHeight = 200;  // the dropped-down list
const int kDriveLetters = 26;

std::string DriveText(char letter)
{
    return std::string(1, letter) + ":";
}
}

TDriveComboBox::TDriveComboBox(TComponent* owner) : TWinControl(owner)
{
    SetBounds(0, 0, kDefaultWidth, kListHeight);
}

void TDriveComboBox::SetDirList(TDirectoryListBox* list)
{
    dirList_ = list;
    if (dirList_) {
        dirList_->OnChange = [this](TObject*) { FollowList(); };
        FollowList();
    }
}

void TDriveComboBox::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    params.className = "COMBOBOX";
    params.style |= CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP;
    params.height = kListHeight;
}

void TDriveComboBox::HandleCreated()
{
    TWinControl::HandleCreated();
    Fill();
}

void TDriveComboBox::Fill()
{
    HWND box = Handle();
    SendMessageA(box, CB_RESETCONTENT, 0, 0);
    DWORD drives = GetLogicalDrives();
    for (int i = 0; i < kDriveLetters; ++i)
        if (drives & (1u << i)) {
            std::string text = DriveText(static_cast<char>('A' + i));
            SendMessageA(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        }
    SendMessageA(box, CB_SELECTSTRING, static_cast<WPARAM>(-1),
                 reinterpret_cast<LPARAM>(DriveText(drive_).c_str()));
}

void TDriveComboBox::FollowList()
{
    if (!dirList_ || dirList_->Directory().empty())
        return;
    drive_ = static_cast<char>(std::toupper(static_cast<unsigned char>(dirList_->Directory()[0])));
    if (HandleAllocated())
        SendMessageA(Handle(), CB_SELECTSTRING, static_cast<WPARAM>(-1),
                     reinterpret_cast<LPARAM>(DriveText(drive_).c_str()));
}

void TDriveComboBox::Command(WORD code)
{
    if (code != CBN_SELCHANGE)
        return;
    char text[8] = {};
    LRESULT index = SendMessageA(Handle(), CB_GETCURSEL, 0, 0);
    if (index < 0 || SendMessageA(Handle(), CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text)) < 1)
        return;
    try {
        if (dirList_)
            dirList_->SetDirectory(std::string(1, text[0]) + ":\\");
        else
            drive_ = text[0];
    } catch (...) {
        // A drive that is not ready: the list stays where it was, and so does the choice.
        FollowList();
        throw;
    }
}
