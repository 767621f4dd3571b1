#include "install/DirectoryListBox.h"

#include "app/Pathutil.h"
#include "framework/AnsiText.h"
#include "framework/FrameworkStrings.h"

#include <windows.h>

#include <algorithm>

namespace {

const int kDefaultWidth = 145;
const int kDefaultHeight = 97;

std::string FullPath(const std::string& path)
{
    char full[MAX_PATH] = {};
    DWORD n = GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
    return n == 0 || n >= MAX_PATH ? std::string() : std::string(full);
}

bool CanEnter(const std::string& folder)
{
    DWORD attributes = GetFileAttributesA(folder.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string CurrentFolder()
{
    char buffer[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, buffer);
    return buffer;
}

// The folders from the drive's root down to folder ("C:\", "C:\A", "C:\A\B").
std::vector<std::string> Ancestors(const std::string& folder)
{
    std::vector<std::string> chain;
    std::string root = folder.substr(0, 3);  // "C:\"
    chain.push_back(root);
    for (std::size_t pos = 3; pos < folder.size(); pos += CharByteCount(folder, pos))
        if (folder[pos] == '\\' && CharByteCount(folder, pos) == 1)
            chain.push_back(folder.substr(0, pos));
    if (folder.size() > root.size())
        chain.push_back(RemoveBackslash(folder));
    return chain;
}

std::vector<std::string> SubFolders(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(JoinPath(folder, "*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        std::string name = data.cFileName;
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != "." && name != "..")
            names.push_back(name);
    } while (FindNextFileA(find, &data));
    FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

std::string LastName(const std::string& path)
{
    std::size_t start = 0;
    for (std::size_t pos = 0; pos < path.size(); pos += CharByteCount(path, pos))
        if (path[pos] == '\\' && CharByteCount(path, pos) == 1)
            start = pos + 1;
    return start >= path.size() ? path : path.substr(start);
}

} // namespace

TDirectoryListBox::TDirectoryListBox(TComponent* owner)
    : TWinControl(owner), directory_(CurrentFolder())
{
    SetBounds(0, 0, kDefaultWidth, kDefaultHeight);
}

void TDirectoryListBox::SetDirectory(const std::string& path)
{
    if (path.empty())
        return;
    std::string full = FullPath(path);
    if (full.empty() || !CanEnter(full))
        throw EInOutError(SFOpenError, {path});
    const std::size_t kRootLength = 3;  // "C:\"
    if (full.size() > kRootLength)
        full = RemoveBackslash(full);
    if (full == directory_)
        return;
    directory_ = full;
    if (HandleAllocated())
        Fill();
    Fire(OnChange, this);
}

void TDirectoryListBox::SetItemHeight(int height)
{
    itemHeight_ = height;
    if (HandleAllocated())
        SendMessageA(Handle(), LB_SETITEMHEIGHT, 0, itemHeight_);
}

void TDirectoryListBox::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    params.className = "LISTBOX";
    params.style |= WS_VSCROLL | WS_BORDER | WS_TABSTOP | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;
}

void TDirectoryListBox::HandleCreated()
{
    TWinControl::HandleCreated();
    SendMessageA(Handle(), LB_SETITEMHEIGHT, 0, itemHeight_);
    Fill();
}

void TDirectoryListBox::Command(WORD code)
{
    if (code != LBN_DBLCLK)
        return;
    LRESULT index = SendMessageA(Handle(), LB_GETCURSEL, 0, 0);
    if (index >= 0 && index < static_cast<LRESULT>(entries_.size()))
        SetDirectory(entries_[index]);
}

void TDirectoryListBox::Fill()
{
    HWND list = Handle();
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    entries_ = Ancestors(directory_);
    const std::size_t current = entries_.size() - 1;
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        std::string text = i == 0 ? entries_[i] : LastName(entries_[i]);
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    for (const std::string& name : SubFolders(directory_)) {
        entries_.push_back(JoinPath(directory_, name));
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    }
    SendMessageA(list, LB_SETCURSEL, current, 0);
}
