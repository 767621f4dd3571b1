#include "install/FSelDir.h"

#include "install/DirectoryListBox.h"
#include "install/DriveComboBox.h"
#include "app/Pathutil.h"
#include "framework/layout/Layout.h"
#include "framework/ui/Button.h"
#include "framework/ui/Label.h"
#include "framework/ui/Panel.h"

#include <windows.h>

namespace {

const size_t kBareDriveLength = 2;

bool IsBareDrive(const std::string& path)
{
    return path.size() == kBareDriveLength && path[1] == ':';
}

// Everything up to and including the last "\" or ":", a trail byte of a double-byte character
// never counting as one; empty when there is none.
std::string FolderPart(const std::string& path)
{
    size_t end = 0;
    for (size_t i = 0; i < path.size(); ++i) {
        if (IsDBCSLeadByte(static_cast<BYTE>(path[i])) && i + 1 < path.size()) {
            ++i;
            continue;
        }
        if (path[i] == '\\' || path[i] == ':')
            end = i + 1;
    }
    return path.substr(0, end);
}

} // namespace

TfrmSelDir::TfrmSelDir(TComponent* owner) : TForm(owner)
{
    RegisterDirectoryListBoxKind();
    RegisterDriveComboBoxKind();
    AddHandler("FormCreate", &TfrmSelDir::FormCreate);
    AddField("OKBtn", OKBtn);
    AddField("CancelBtn", CancelBtn);
    AddField("Panel1", Panel1);
    AddField("DirectoryListBox", DirectoryListBox);
    AddField("DriveComboBox1", DriveComboBox1);
    AddField("lblDirName", lblDirName);
    AddField("Label1", Label1);
    AddField("Label2", Label2);
    ReadLayoutResource(*this, "TFRMSELDIR");
}

void TfrmSelDir::FormCreate(TObject*)
{
}

void TfrmSelDir::SetFolder(const std::string& folder)
{
    // Each round shortens the text by at least one level, so the walk ends.
    std::string path = folder;
    for (;;) {
        try {
            DirectoryListBox->SetDirectory(IsBareDrive(path) ? path + "\\" : path);
            return;
        } catch (const Exception&) {
            // Not enterable: try the level above.
        }
        std::string parent = FolderPart(path);
        if (parent.size() >= path.size())
            return;
        path = RemoveBackslash(parent);
    }
}

std::string TfrmSelDir::GetFolder() const
{
    return DirectoryListBox->Directory();
}
