// The folder picker on the real file system: where it opens for a starting text, the walk up
// from folders that cannot be entered, the linked drive list, and confirming.
#include "install/FSelDir.h"

#include "support/BoxWatcher.h"
#include "support/FormTesting.h"
#include "support/TempFolder.h"
#include "install/DirectoryListBox.h"
#include "install/DriveComboBox.h"
#include "framework/ui/Button.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>

namespace {

std::string CurrentFolder()
{
    char buffer[MAX_PATH];
    DWORD n = GetCurrentDirectoryA(sizeof buffer, buffer);
    std::string folder(buffer, n);
    if (folder.size() > 3 && folder.back() == '\\')
        folder.pop_back();
    return folder;
}

char MissingDrive()
{
    DWORD drives = GetLogicalDrives();
    for (char letter = 'Y'; letter > 'C'; --letter)
        if (!(drives & (1u << (letter - 'A'))))
            return letter;
    return 0;
}

class FSelDirTest : public FormTest {
protected:
    void SetUp() override
    {
        FormTest::SetUp();
        picker_ = std::make_unique<TfrmSelDir>(nullptr);
    }
    void TearDown() override
    {
        picker_.reset();
        FormTest::TearDown();
    }
    bool ListShows(const std::string& entry) const
    {
        for (int i = 0; i < picker_->DirectoryListBox->Count(); ++i)
            if (picker_->DirectoryListBox->Entry(i) == entry)
                return true;
        return false;
    }
    TempFolder folder_;
    std::unique_ptr<TfrmSelDir> picker_;
};

TEST_F(FSelDirTest, NewPickerShowsTheCurrentFolder)
{
    EXPECT_EQ(CurrentFolder(), picker_->GetFolder());
    EXPECT_EQ(CurrentFolder()[0], picker_->DriveComboBox1->Drive());
}

TEST_F(FSelDirTest, BareDriveOpensItsRootAndTheDriveListFollows)
{
    const std::string drive = folder_.Path().substr(0, 2);
    picker_->SetFolder(drive);
    EXPECT_EQ(drive + "\\", picker_->GetFolder());
    EXPECT_EQ(drive[0], picker_->DriveComboBox1->Drive());
    EXPECT_EQ(drive + "\\", picker_->DirectoryListBox->Entry(0));
}

TEST_F(FSelDirTest, FolderThatCannotBeEnteredWalksUpToItsNearestAncestor)
{
    CreateDirectoryA(folder_.File("A").c_str(), nullptr);
    picker_->SetFolder(folder_.File("A\\B\\C"));
    EXPECT_EQ(folder_.File("A"), picker_->GetFolder());
    // A trail byte 0x5C of a double-byte name is no separator.
    const std::string deep = folder_.File("表");
    CreateDirectoryA(deep.c_str(), nullptr);
    picker_->SetFolder(deep + "\\gone表");
    EXPECT_EQ(deep, picker_->GetFolder());
    // A file is no folder either.
    folder_.Write("plain.txt", "x");
    picker_->SetFolder(folder_.File("plain.txt"));
    EXPECT_EQ(folder_.Path(), picker_->GetFolder());
}

TEST_F(FSelDirTest, MissingDriveAndEmptyTextLeaveTheFolderAsItWas)
{
    const std::string start = picker_->GetFolder();
    char missing = MissingDrive();
    ASSERT_NE(0, missing);
    picker_->SetFolder(std::string(1, missing) + ":\\A");
    EXPECT_EQ(start, picker_->GetFolder());
    picker_->SetFolder("");
    EXPECT_EQ(start, picker_->GetFolder());
}

TEST_F(FSelDirTest, EntriesAreFolderNamesAndOpeningOneEntersIt)
{
    CreateDirectoryA(folder_.File("Sub").c_str(), nullptr);
    picker_->SetFolder(folder_.Path());
    ASSERT_TRUE(ListShows("Sub"));
    auto* list = picker_->DirectoryListBox;
    for (int i = 0; i < list->Count(); ++i)
        if (list->Entry(i) == "Sub")
            list->OpenEntry(i);
    EXPECT_EQ(folder_.File("Sub"), picker_->GetFolder());
    list->OpenEntry(0);  // the drive's root, an ancestor
    EXPECT_EQ(folder_.Path().substr(0, 3), picker_->GetFolder());
}

TEST_F(FSelDirTest, EnterInTheFolderListOpensTheHighlightedEntryAndTheDialogStaysOpen)
{
    CreateDirectoryA(folder_.File("Sub").c_str(), nullptr);
    picker_->SetFolder(folder_.Path());
    auto* list = picker_->DirectoryListBox;
    int sub = -1;
    for (int i = 0; i < list->Count(); ++i)
        if (list->Entry(i) == "Sub")
            sub = i;
    ASSERT_NE(-1, sub);
    ModalWatchdog watchdog;
    BoxWatcher watcher;
    HWND dialog = picker_->Handle();
    PostMessageA(dialog, WM_SYSCHAR, 'F', 0);  // Alt+F: the label's access key focuses the list
    PostMessageA(list->Handle(), LB_SETCURSEL, static_cast<WPARAM>(sub), 0);
    PostMessageA(list->Handle(), WM_KEYDOWN, VK_RETURN, 1);
    PostMessageA(picker_->OKBtn->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(mrOk, picker_->ShowModal());
    EXPECT_EQ(folder_.File("Sub"), picker_->GetFolder()) << "Enter must open, not confirm";
    EXPECT_TRUE(watcher.Boxes().empty());
    EXPECT_FALSE(watchdog.Fired());
}

TEST_F(FSelDirTest, ListIsATreeOfOpenAncestorsAndClosedSubFolders)
{
    CreateDirectoryA(folder_.File("A").c_str(), nullptr);
    CreateDirectoryA(folder_.File("A\\B").c_str(), nullptr);
    CreateDirectoryA(folder_.File("A\\C").c_str(), nullptr);
    picker_->SetFolder(folder_.File("A"));
    auto* list = picker_->DirectoryListBox;
    HWND window = list->Handle();
    EXPECT_TRUE(GetWindowLongA(window, GWL_STYLE) & LBS_OWNERDRAWFIXED);
    EXPECT_EQ(16, SendMessageA(window, LB_GETITEMHEIGHT, 0, 0));
    const int current = list->Count() - 3;  // the root, ..., "A", then "B" and "C"
    ASSERT_EQ("A", list->Entry(current));
    for (int i = 0; i < list->Count(); ++i) {
        TFolderLook look = list->ItemLook(i);
        bool ancestor = i <= current;
        EXPECT_EQ(ancestor ? i : current + 1, look.level) << list->Entry(i);
        EXPECT_EQ(ancestor ? TFolderPicture::Open : TFolderPicture::Closed, look.picture)
            << list->Entry(i);
    }
    // Drawing every entry goes through the owner-draw path.
    picker_->Show();
    SendMessageA(window, LB_SETCURSEL, static_cast<WPARAM>(current + 1), 0);
    EXPECT_TRUE(RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW));
}

TEST_F(FSelDirTest, EscClosesTheDroppedDriveListBeforeItCancelsThePicker)
{
    picker_->Show();
    HWND combo = picker_->DriveComboBox1->Handle();
    PostMessageA(picker_->Handle(), WM_SYSCHAR, 'V', 0);  // Alt+V focuses the drive list
    app_->ProcessMessages();
    ASSERT_EQ(combo, GetFocus());
    SendMessageA(combo, CB_SHOWDROPDOWN, TRUE, 0);
    ASSERT_TRUE(SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0));
    PostMessageA(combo, WM_KEYDOWN, VK_ESCAPE, 1);
    app_->ProcessMessages();
    EXPECT_FALSE(SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0));
    EXPECT_EQ(mrNone, picker_->ModalResult());
    PostMessageA(combo, WM_KEYDOWN, VK_ESCAPE, 1);
    app_->ProcessMessages();
    EXPECT_EQ(mrCancel, picker_->ModalResult());
}

TEST_F(FSelDirTest, ConfirmingWithoutNavigatingReturnsTheStartFolder)
{
    picker_->SetFolder(folder_.Path() + "\\");
    ModalWatchdog watchdog;
    BoxWatcher watcher;
    PostMessageA(picker_->OKBtn->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(mrOk, picker_->ShowModal());
    EXPECT_EQ(folder_.Path(), picker_->GetFolder());
    EXPECT_TRUE(watcher.Boxes().empty());
    EXPECT_FALSE(watchdog.Fired());
}

} // namespace
