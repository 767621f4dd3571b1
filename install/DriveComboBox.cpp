#include "install/DriveComboBox.h"

#include "install/DirectoryListBox.h"
#include "framework/layout/Layout.h"
#include "framework/core/ScopeGuard.h"

#include <windows.h>

#include <cctype>

namespace {

const int kDefaultWidth = 145;
const int kDefaultHeight = 22;
// The drop-down part below the closed box.
const int kDropDownHeight = 200;
const int kDriveCount = 26;

char DriveOfPath(const std::string& path)
{
    if (path.size() < 2 || path[1] != ':')
        return 0;
    return static_cast<char>(std::toupper(static_cast<unsigned char>(path[0])));
}

std::string DriveText(char drive)
{
    return std::string(1, drive) + ":";
}

} // namespace

TDriveComboBox::TDriveComboBox(TComponent* owner) : TWinControl(owner)
{
    SetTabStop(true);
    SetColor(clWindow);
    SetBounds(0, 0, kDefaultWidth, kDefaultHeight);
    DWORD mask = GetLogicalDrives();
    for (int i = 0; i < kDriveCount; ++i)
        if (mask & (1u << i))
            drives_ += static_cast<char>('A' + i);
    char current[MAX_PATH] = {};
    if (GetCurrentDirectoryA(sizeof current, current))
        drive_ = DriveOfPath(current);
}

TDriveComboBox::~TDriveComboBox()
{
    SetDirList(nullptr);
}

void TDriveComboBox::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    params.className = "COMBOBOX";
    params.style |= CBS_DROPDOWNLIST | WS_VSCROLL;
    params.height += kDropDownHeight;
}

void TDriveComboBox::HandleCreated()
{
    TWinControl::HandleCreated();
    HWND box = Handle();
    SendMessageA(box, CB_RESETCONTENT, 0, 0);
    for (char drive : drives_)
        SendMessageA(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(DriveText(drive).c_str()));
    ShowSelection();
}

void TDriveComboBox::BoundsChanged()
{
    TWinControl::BoundsChanged();
    if (HandleAllocated())
        SetWindowPos(Handle(), nullptr, Left(), Top(), Width(), Height() + kDropDownHeight,
                     SWP_NOZORDER | SWP_NOACTIVATE);
}

void TDriveComboBox::ShowSelection()
{
    if (!HandleAllocated())
        return;
    std::string::size_type index = drives_.find(drive_);
    SendMessageA(Handle(), CB_SETCURSEL,
                 index == std::string::npos ? static_cast<WPARAM>(-1) : index, 0);
}

void TDriveComboBox::SetDrive(char drive)
{
    drive = static_cast<char>(std::toupper(static_cast<unsigned char>(drive)));
    if (drive == drive_)
        return;
    if (dirList_ && DriveOfPath(dirList_->Directory()) != drive) {
        // The list refuses a drive that is not ready; the selection then shows the old drive.
        TScopeExit showOld([this] { ShowSelection(); });
        dirList_->SetDirectory(DriveText(drive) + "\\");
        showOld.Dismiss(); // the list's move has selected the drive
        return;
    }
    drive_ = drive;
    ShowSelection();
}

void TDriveComboBox::SetDirList(TDirectoryListBox* list)
{
    if (list == dirList_)
        return;
    if (dirList_) {
        dirList_->DirectoryChanged = nullptr;
        dirList_->Unlinked = nullptr;
    }
    dirList_ = list;
    if (dirList_) {
        dirList_->DirectoryChanged = [this] { FollowDirList(); };
        dirList_->Unlinked = [this] { dirList_ = nullptr; };
        FollowDirList();
    }
}

void TDriveComboBox::FollowDirList()
{
    char drive = DriveOfPath(dirList_->Directory());
    if (drive && drive != drive_) {
        drive_ = drive;
        ShowSelection();
    }
}

void TDriveComboBox::ChooseSelected()
{
    LRESULT index = SendMessageA(Handle(), CB_GETCURSEL, 0, 0);
    if (index >= 0 && index < Count())
        SetDrive(drives_[static_cast<size_t>(index)]);
}

void TDriveComboBox::Command(WORD code)
{
    if (code == CBN_SELCHANGE)
        ChooseSelected();
}

void RegisterDriveComboBoxKind()
{
    RegisterKind<TDriveComboBox>("TDriveComboBox", "TWinControl")
        .Property("DirList", [](TDriveComboBox& box, const TLayoutValue& v, TLayoutContext& ctx) {
            // The list may come later in the layout.
            ctx.Defer([&box, v, &ctx] {
                auto* list = dynamic_cast<TDirectoryListBox*>(ctx.AsComponent(v));
                if (!list)
                    ctx.BadValue();
                box.SetDirList(list);
            });
        });
}
