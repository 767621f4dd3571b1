#pragma once
// The folder list: the current folder with its ancestors above it and its sub-folders below,
// drawn as a tree: each ancestor one step further in than its parent with an open folder, the
// current folder likewise, its sub-folders one step further with a closed folder. Double-click
// or Enter on an entry makes it the current folder.
#include "install/FolderPicture.h"
#include "framework/ui/Control.h"
#include "framework/core/Exception.h"

#include <functional>
#include <string>
#include <vector>

// A folder that cannot be entered (missing, drive not ready, access refused).
ZA2_EXCEPTION_KIND(EFolderError, Exception);

// How an entry is drawn: its depth in the tree (0: the drive's root) and its picture.
struct TFolderLook {
    int level = 0;
    TFolderPicture picture = TFolderPicture::Open;
};

class TDirectoryListBox : public TWinControl {
public:
    explicit TDirectoryListBox(TComponent* owner);
    ~TDirectoryListBox() override;
    ZA2_CLASS_NAME(TDirectoryListBox)

    // The current folder, full path, no trailing backslash except at a drive's root.
    const std::string& Directory() const { return directory_; }
    // Enters the folder (relative paths from the process's current folder); an empty path is
    // ignored. Raises EFolderError and keeps the current folder when it cannot be entered.
    void SetDirectory(const std::string& path);
    // Makes entry index (from 0) the current folder.
    void OpenEntry(int index);

    int ItemHeight() const { return itemHeight_; }
    void SetItemHeight(int height);
    int Count() const { return static_cast<int>(entries_.size()); }
    // Entry index's text: the drive root ("C:\") or a folder name.
    std::string Entry(int index) const;
    // The look the list window holds for entry index (its owner-draw data).
    TFolderLook ItemLook(int index);

    // Follows every change of the current folder (the linked drive list uses it).
    std::function<void()> DirectoryChanged;
    // Runs when the list goes away first, so that the linked drive list forgets it.
    std::function<void()> Unlinked;
    TNotifyEvent OnChange;

protected:
    void CreateParams(TCreateParams& params) override;
    void HandleCreated() override;
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void Command(WORD code) override;
    void DrawItem(const DRAWITEMSTRUCT& item) override;

private:
    TFolderLook LookOf(int index) const;
    void DrawName(HDC dc, RECT area, const std::string& name, UINT state);
    // The path that entry index stands for.
    std::string EntryPath(int index) const;
    void Fill();
    void OpenSelected();

    std::string directory_;
    std::vector<std::string> entries_;
    int ancestorCount_ = 0; // entries up to and including the current folder
    int itemHeight_ = 16;
};

void RegisterDirectoryListBoxKind();
