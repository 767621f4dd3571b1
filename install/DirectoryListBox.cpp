#include "install/DirectoryListBox.h"

#include "app/AppStrings.h"
#include "app/Pathutil.h"
#include "framework/layout/Layout.h"
#include "framework/win32/GdiHandle.h"
#include "framework/core/FileHandle.h"
#include "framework/core/ResText.h"

#include <windows.h>

#include <algorithm>

namespace {

const int kDefaultWidth = 145;
const int kDefaultHeight = 97;
const DWORD kHiddenFolder = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
// The tree's geometry: the step in per level, the space left of the root's picture and
// between a picture and its name, and the highlight's margin around the name.
const int kIndentStep = 8;
const int kLeftMargin = 2;
const int kPictureGap = 4;
const int kTextPadding = 2;
const UINT kNameFormat = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;

// The owner-draw data of an entry: its level in the low word, its picture in the high word.
LPARAM EncodeLook(const TFolderLook& look)
{
    return static_cast<LPARAM>(MAKELONG(look.level, static_cast<WORD>(look.picture)));
}

TFolderLook DecodeLook(ULONG_PTR data)
{
    return TFolderLook{LOWORD(data), static_cast<TFolderPicture>(HIWORD(data))};
}

// The full form of a path, without a trailing backslash unless it is a drive's root.
std::string FullPath(const std::string& path)
{
    char buffer[MAX_PATH];
    DWORD n = GetFullPathNameA(path.c_str(), sizeof buffer, buffer, nullptr);
    if (n == 0 || n >= sizeof buffer)
        return std::string();
    std::string full(buffer, n);
    std::string trimmed = RemoveBackslash(full);
    return EndsWithChar(trimmed, ':') ? full : trimmed;
}

// The levels of a full path: "C:\" (or "\\server\share\") followed by each folder name.
std::vector<std::string> SplitLevels(const std::string& full)
{
    std::vector<std::string> levels;
    std::string part;
    bool rootDone = false;
    int rootSeparators = full.compare(0, 2, "\\\\") == 0 ? 4 : 1;
    for (size_t i = 0; i < full.size(); ++i) {
        char c = full[i];
        if (IsDBCSLeadByte(static_cast<BYTE>(c)) && i + 1 < full.size()) {
            part += c;
            part += full[++i];
            continue;
        }
        if (c != '\\') {
            part += c;
            continue;
        }
        if (!rootDone) {
            part += c;
            if (--rootSeparators == 0) {
                levels.push_back(part);
                part.clear();
                rootDone = true;
            }
            continue;
        }
        if (!part.empty())
            levels.push_back(part);
        part.clear();
    }
    if (!part.empty())
        levels.push_back(part);
    return levels;
}

// The visible sub-folders of a folder, sorted as the user reads them; false when the folder
// cannot be listed.
bool ListSubFolders(const std::string& folder, std::vector<std::string>& names)
{
    WIN32_FIND_DATAA data;
    TFindHandle find(FindFirstFileA(JoinPath(folder, "*").c_str(), &data));
    if (!find)
        return GetLastError() == ERROR_FILE_NOT_FOUND;
    do {
        std::string name = data.cFileName;
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || (data.dwFileAttributes & kHiddenFolder)
            || name == "." || name == "..")
            continue;
        names.push_back(name);
    } while (FindNextFileA(find.Get(), &data));
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return lstrcmpiA(a.c_str(), b.c_str()) < 0;
    });
    return true;
}

} // namespace

TDirectoryListBox::TDirectoryListBox(TComponent* owner) : TWinControl(owner)
{
    SetTabStop(true);
    SetColor(clWindow);
    SetBounds(0, 0, kDefaultWidth, kDefaultHeight);
    directory_ = FullPath(".");
    Fill();
}

TDirectoryListBox::~TDirectoryListBox()
{
    if (Unlinked)
        Unlinked();
}

void TDirectoryListBox::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    params.className = "LISTBOX";
    params.style |= LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS
                    | WS_VSCROLL;
    params.exStyle |= WS_EX_CLIENTEDGE;
}

void TDirectoryListBox::HandleCreated()
{
    TWinControl::HandleCreated();
    HWND list = Handle();
    SendMessageA(list, LB_SETITEMHEIGHT, 0, MAKELPARAM(itemHeight_, 0));
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    for (int i = 0; i < Count(); ++i) {
        const std::string& entry = entries_[static_cast<size_t>(i)];
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
        SendMessageA(list, LB_SETITEMDATA, static_cast<WPARAM>(i), EncodeLook(LookOf(i)));
    }
    SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(ancestorCount_ - 1), 0);
}

void TDirectoryListBox::SetItemHeight(int height)
{
    if (height == itemHeight_)
        return;
    itemHeight_ = height;
    if (HandleAllocated())
        SendMessageA(Handle(), LB_SETITEMHEIGHT, 0, MAKELPARAM(itemHeight_, 0));
}

void TDirectoryListBox::SetDirectory(const std::string& path)
{
    if (path.empty())
        return;
    std::string full = FullPath(path);
    DWORD attributes = full.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesA(full.c_str());
    std::vector<std::string> probe;
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)
        || !ListSubFolders(full, probe))
        throw EFolderError(FormatResText(SCannotOpenFolder, {path}));
    if (full == directory_)
        return;
    directory_ = full;
    Fill();
    if (DirectoryChanged)
        DirectoryChanged();
    Fire(OnChange, this);
}

void TDirectoryListBox::Fill()
{
    entries_ = SplitLevels(directory_);
    ancestorCount_ = static_cast<int>(entries_.size());
    std::vector<std::string> subFolders;
    ListSubFolders(directory_, subFolders);
    entries_.insert(entries_.end(), subFolders.begin(), subFolders.end());
    if (HandleAllocated())
        HandleCreated();
}

std::string TDirectoryListBox::Entry(int index) const
{
    if (index < 0 || index >= Count())
        return std::string();
    return entries_[static_cast<size_t>(index)];
}

TFolderLook TDirectoryListBox::LookOf(int index) const
{
    if (index < ancestorCount_)
        return TFolderLook{index, TFolderPicture::Open};
    return TFolderLook{ancestorCount_, TFolderPicture::Closed};
}

TFolderLook TDirectoryListBox::ItemLook(int index)
{
    return DecodeLook(static_cast<ULONG_PTR>(
        SendMessageA(Handle(), LB_GETITEMDATA, static_cast<WPARAM>(index), 0)));
}

void TDirectoryListBox::DrawItem(const DRAWITEMSTRUCT& item)
{
    if (item.itemID >= static_cast<UINT>(Count()))
        return;  // the empty list's focus rectangle: nothing to draw
    TSavedDC saved(item.hDC);
    RECT row = item.rcItem;
    FillRect(item.hDC, &row, ControlColors(item.hDC));
    TFolderLook look = DecodeLook(item.itemData);
    int x = row.left + kLeftMargin + look.level * kIndentStep;
    int y = row.top + (row.bottom - row.top - kFolderPictureHeight) / 2;
    DrawFolderPicture(item.hDC, x, y, look.picture);
    row.left = x + kFolderPictureWidth + kPictureGap;
    DrawName(item.hDC, row, entries_[item.itemID], item.itemState);
}

// The name, highlighted when selected, with the focus frame around it, not the whole row.
void TDirectoryListBox::DrawName(HDC dc, RECT area, const std::string& name, UINT state)
{
    RECT text = area;
    DrawTextA(dc, name.c_str(), static_cast<int>(name.size()), &text, kNameFormat | DT_CALCRECT);
    RECT box{area.left, area.top,
             std::min(area.right, text.right + 2 * kTextPadding), area.bottom};
    if (state & ODS_SELECTED) {
        FillRect(dc, &box, GetSysColorBrush(COLOR_HIGHLIGHT));
        SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
    }
    SetBkMode(dc, TRANSPARENT);
    RECT inner{box.left + kTextPadding, box.top, box.right, box.bottom};
    DrawTextA(dc, name.c_str(), static_cast<int>(name.size()), &inner, kNameFormat);
    if (state & ODS_FOCUS)
        DrawFocusRect(dc, &box);
}

std::string TDirectoryListBox::EntryPath(int index) const
{
    if (index >= ancestorCount_)
        return JoinPath(directory_, entries_[static_cast<size_t>(index)]);
    std::string path;
    for (int i = 0; i <= index; ++i)
        path = JoinPath(path, entries_[static_cast<size_t>(i)]);
    return path;
}

void TDirectoryListBox::OpenEntry(int index)
{
    if (index < 0 || index >= Count())
        return;
    SetDirectory(EntryPath(index));
}

void TDirectoryListBox::OpenSelected()
{
    if (!HandleAllocated())
        return;
    OpenEntry(static_cast<int>(SendMessageA(Handle(), LB_GETCURSEL, 0, 0)));
}

void TDirectoryListBox::Command(WORD code)
{
    if (code == LBN_DBLCLK)
        OpenSelected();
}

LRESULT TDirectoryListBox::WndProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_GETDLGCODE: {
        // Enter opens the highlighted entry instead of pressing the form's default button.
        LRESULT code = TWinControl::WndProc(message, wParam, lParam);
        if (wParam == VK_RETURN)
            code |= DLGC_WANTALLKEYS;
        return code;
    }
    case WM_KEYDOWN:
        if (wParam == VK_RETURN) {
            OpenSelected();
            return 0;
        }
        break;
    case WM_CHAR:
        if (wParam == '\r')
            return 0;
        break;
    default:
        break;
    }
    return TWinControl::WndProc(message, wParam, lParam);
}

void RegisterDirectoryListBoxKind()
{
    RegisterKind<TDirectoryListBox>("TDirectoryListBox", "TWinControl")
        .Integer("ItemHeight", &TDirectoryListBox::SetItemHeight)
        .Event("OnChange", &TDirectoryListBox::OnChange);
}
