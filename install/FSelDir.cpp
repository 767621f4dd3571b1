#include "install/FSelDir.h"

#include "app/Pathutil.h"
#include "framework/AnsiText.h"
#include "framework/Button.h"
#include "framework/Label.h"
#include "framework/Layout.h"
#include "framework/Panel.h"
#include "install/DirectoryListBox.h"
#include "install/DriveComboBox.h"

namespace {

const std::size_t kBareDriveLength = 2;  // "D:"

// Everything up to and including the last "\" or ":", double-byte aware; empty when none.
std::string FolderPart(const std::string& path)
{
    std::size_t end = 0;
    for (std::size_t pos = 0; pos < path.size(); pos += CharByteCount(path, pos))
        if (CharByteCount(path, pos) == 1 && (path[pos] == '\\' || path[pos] == ':'))
            end = pos + 1;
    return path.substr(0, end);
}

} // namespace

void RegisterFolderPickerKinds()
{
    RegisterKind<TDirectoryListBox>("TDirectoryListBox", "TWinControl")
        .Integer("ItemHeight", &TDirectoryListBox::SetItemHeight);
    RegisterKind<TDriveComboBox>("TDriveComboBox", "TWinControl")
        .Property("DirList", [](TDriveComboBox& box, const TLayoutValue& v, TLayoutContext& ctx) {
            // The list may come later in the layout.
            ctx.Defer([&box, v, &ctx] {
                box.SetDirList(dynamic_cast<TDirectoryListBox*>(ctx.AsComponent(v)));
            });
        });
}

TfrmSelDir::TfrmSelDir(TComponent* owner) : TForm(owner)
{
    RegisterFolderPickerKinds();
    AddHandler("FormCreate", &TfrmSelDir::FormCreate);
    AddField("OKBtn", OKBtn);
    AddField("CancelBtn", CancelBtn);
    AddField("Panel1", Panel1);
    AddField("DirectoryListBox", DirectoryListBox);
    AddField("DriveComboBox1", DriveComboBox1);
    AddField("lblDirName", lblDirName);
    AddField("Label1", Label1);
    AddField("Label2", Label2);
    ReadLayoutResource("TFRMSELDIR");
}

void TfrmSelDir::FormCreate(TObject*) {}

void TfrmSelDir::SetFolder(const std::string& path)
{
    try {
        if (path.size() == kBareDriveLength && path[1] == ':')
            DirectoryListBox->SetDirectory(path + "\\");
        else
            DirectoryListBox->SetDirectory(path);
        return;
    } catch (const EInOutError&) {
        // Not a folder that can be entered: try its parent.
    }
    std::string parent = FolderPart(path);
    if (parent.size() == path.size())
        return;
    SetFolder(RemoveBackslash(parent));
}

std::string TfrmSelDir::GetFolder() const
{
    return DirectoryListBox->Directory();
}
