#pragma once
// The folder list of the folder picker: the current folder with its ancestors and its
// sub-folders, one entry each (named by the folder's name, the drive's root by its path).
// Opening an entry (double-click) makes it the current folder.
#include "framework/Control.h"
#include "framework/Events.h"
#include "framework/Exception.h"

#include <string>
#include <vector>

class TDirectoryListBox : public TWinControl {
public:
    explicit TDirectoryListBox(TComponent* owner);
    ZA2_CLASS_NAME(TDirectoryListBox)

    // Starts at the process's current folder.
    const std::string& Directory() const { return directory_; }
    // Makes path the current folder; raises EInOutError when it cannot be entered. An empty
    // path changes nothing.
    void SetDirectory(const std::string& path);
    void SetItemHeight(int height);

    // After every change of the current folder.
    TNotifyEvent OnChange;

protected:
    void CreateParams(TCreateParams& params) override;
    void HandleCreated() override;
    void Command(WORD code) override;

private:
    void Fill();

    std::string directory_;
    std::vector<std::string> entries_;  // full path of each list entry
    int itemHeight_ = 16;
};

ZA2_EXCEPTION_KIND(EInOutError, Exception);
