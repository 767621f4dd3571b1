// The three dialogs made from their real layout resources, each checked against its layout
// table: the window (caption, client size, border, icons, always-on-top, centring, font) and
// every component (kind, parent, position, size, caption, tab order and its other settings).
#include "support/FormTesting.h"
#include "support/SavedSettings.h"
#include "support/TempFolder.h"
#include "install/DirectoryListBox.h"
#include "install/DriveComboBox.h"
#include "install/FInpPath.h"
#include "install/FSelDir.h"
#include "app/FDoUpdate.h"
#include "framework/ui/Bevel.h"
#include "framework/ui/Button.h"
#include "framework/ui/Label.h"
#include "framework/ui/Panel.h"
#include "framework/ui/ProgressBar.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

const char kTitle[] = "ザンデラ2.02アップデータ";
const char kFontName[] = "ＭＳ Ｐゴシック";
const int kFontHeight = -12;
const COLORREF kBlack = RGB(0, 0, 0);
// A size the table does not bind: a label sizes itself to its text in the font the system
// has, a drop-down list's closed height follows the font too.
const int kFree = -1;

struct TWindowRow {
    std::string caption;
    int clientWidth;
    int clientHeight;
    bool systemMenu;
    bool stayOnTop;
    bool blackText;
};

struct TComponentRow {
    const char* name;
    const char* kind;
    const char* parent;  // "" for the dialog itself
    int left, top, width, height;
    const char* caption; // nullptr: set at run time (the edit's folder, the selected drive)
    int tabOrder;        // kFree for components without a window
    std::string settings;
};

// The settings the table states, in the table's words, read back from the component.
std::string Settings(TComponent& c)
{
    std::ostringstream out;
    if (auto* b = dynamic_cast<TBitBtn*>(&c)) {
        out << (b->Default() ? "default " : "") << (b->Cancel() ? "cancel " : "")
            << (b->Enabled() ? "" : "disabled ") << "result " << b->ModalResult();
    } else if (auto* l = dynamic_cast<TLabel*>(&c)) {
        out << (l->Transparent() ? "transparent" : "opaque") << (l->AutoSize() ? "" : " fixed")
            << (l->FocusControl() ? " focuses " + l->FocusControl()->Name() : "");
    } else if (auto* p = dynamic_cast<TPanel*>(&c)) {
        bool raisedInside = p->BevelInner() == TBevelCut::Raised;
        bool loweredOutside = p->BevelOuter() == TBevelCut::Lowered;
        out << (raisedInside && loweredOutside ? "raised in lowered" : "other bevels");
    } else if (auto* v = dynamic_cast<TBevel*>(&c)) {
        out << (v->Shape() == TBevelShape::TopLine ? "top line" : "other shape");
    } else if (auto* g = dynamic_cast<TProgressBar*>(&c)) {
        out << (g->Align() == TAlign::Bottom ? "bottom" : "unaligned") << " range " << g->Min()
            << ".." << g->Max();
    } else if (auto* d = dynamic_cast<TDirectoryListBox*>(&c)) {
        out << "item height " << d->ItemHeight();
    } else if (auto* r = dynamic_cast<TDriveComboBox*>(&c)) {
        out << "linked to " << (r->DirList() ? r->DirList()->Name() : "none");
    }
    return out.str();
}

RECT PlaceOnParent(TControl& c)
{
    auto* windowed = dynamic_cast<TWinControl*>(&c);
    if (!windowed)
        return c.BoundsRect();
    RECT r;
    GetWindowRect(windowed->Handle(), &r);
    MapWindowPoints(nullptr, c.Parent()->Handle(), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// The Tab walk follows the z-order of each parent's windows: it must rise with the tab order.
void ExpectTabWalkFollowsTabOrder(TWinControl& parent)
{
    int previous = -1;
    for (HWND w = GetWindow(parent.Handle(), GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) {
        TWinControl* child = TWinControl::FromHandle(w);
        ASSERT_NE(nullptr, child);
        EXPECT_LE(previous, child->TabOrder()) << child->Name();
        previous = child->TabOrder();
        ExpectTabWalkFollowsTabOrder(*child);
    }
}

void ExpectWindow(TForm& form, const TWindowRow& row)
{
    HWND window = form.Handle();
    EXPECT_EQ(row.caption, TextOf(window));
    SIZE client = ClientSizeOf(window);
    EXPECT_EQ(row.clientWidth, client.cx);
    EXPECT_EQ(row.clientHeight, client.cy);
    LONG style = GetWindowLongA(window, GWL_STYLE);
    LONG exStyle = GetWindowLongA(window, GWL_EXSTYLE);
    EXPECT_TRUE((style & WS_CAPTION) == WS_CAPTION && (exStyle & WS_EX_DLGMODALFRAME));
    EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    EXPECT_EQ(row.systemMenu, (style & WS_SYSMENU) != 0);
    EXPECT_EQ(row.stayOnTop, (exStyle & WS_EX_TOPMOST) != 0);
    form.Show();
    RECT r;
    GetWindowRect(window, &r);
    EXPECT_NEAR(GetSystemMetrics(SM_CXSCREEN) / 2, (r.left + r.right) / 2, 1);
    EXPECT_NEAR(GetSystemMetrics(SM_CYSCREEN) / 2, (r.top + r.bottom) / 2, 1);
    EXPECT_EQ(kFontName, form.Font().Name());
    EXPECT_EQ(kFontHeight, form.Font().Height());
    EXPECT_EQ(SHIFTJIS_CHARSET, form.Font().Charset());
    ExpectTabWalkFollowsTabOrder(form);
}

void ExpectComponents(TForm& form, const TWindowRow& window,
                      const std::vector<TComponentRow>& rows)
{
    ASSERT_EQ(rows.size(), static_cast<size_t>(form.ComponentCount()));
    for (size_t i = 0; i < rows.size(); ++i) {
        const TComponentRow& row = rows[i];
        SCOPED_TRACE(row.name);
        TComponent* c = form.Component(static_cast<int>(i));  // in declaration order
        ASSERT_EQ(row.name, c->Name());
        EXPECT_STREQ(row.kind, c->ClassName());
        EXPECT_EQ(row.settings, Settings(*c));
        auto* control = dynamic_cast<TControl*>(c);
        if (!control)
            continue;
        EXPECT_EQ(row.parent, control->Parent() == &form ? "" : control->Parent()->Name());
        if (row.caption) {
            EXPECT_EQ(row.caption, control->Caption());
        }
        RECT r = PlaceOnParent(*control);
        EXPECT_EQ(row.left, r.left);
        EXPECT_EQ(row.top, r.top);
        if (row.width != kFree) {
            EXPECT_EQ(row.width, r.right - r.left);
        }
        if (row.height != kFree) {
            EXPECT_EQ(row.height, r.bottom - r.top);
        }
        if (auto* windowed = dynamic_cast<TWinControl*>(control)) {
            EXPECT_EQ(row.tabOrder, windowed->TabOrder());
        }
        if (window.blackText) {
            EXPECT_EQ(kBlack, control->Font().Color());
        }
    }
}

// While it lives, the scheme's window text is not black, so that a layout that asks for the
// scheme's colour instead of black shows.
class NonBlackWindowText {
public:
    NonBlackWindowText() : saved_(GetSysColor(COLOR_WINDOWTEXT))
    {
        int element = COLOR_WINDOWTEXT;
        COLORREF navy = RGB(0, 0, 128);
        SetSysColors(1, &element, &navy);
    }
    ~NonBlackWindowText()
    {
        int element = COLOR_WINDOWTEXT;
        SetSysColors(1, &element, &saved_);
    }
    NonBlackWindowText(const NonBlackWindowText&) = delete;
    NonBlackWindowText& operator=(const NonBlackWindowText&) = delete;

private:
    COLORREF saved_;
};

class DialogLayoutTest : public FormTest {
protected:
    template <class Dialog>
    void ExpectLayout(const TWindowRow& window, const std::vector<TComponentRow>& rows)
    {
        std::unique_ptr<Dialog> dialog;
        {
            NonBlackWindowText scheme;
            dialog = std::make_unique<Dialog>(nullptr);
        }
        ExpectWindow(*dialog, window);
        ExpectComponents(*dialog, window, rows);
    }
};

TEST_F(DialogLayoutTest, ProgressDialog)
{
    ExpectLayout<TfrmDoUpdate>(
        {kTitle, 368, 142, false, false, false},
        {
            {"Label1", "TLabel", "", 56, 44, kFree, kFree, "ザンデラ2.02にアップデート中です",
             kFree, "opaque"},
            {"Label2", "TLabel", "", 56, 68, kFree, kFree, "少しお待ちください・・・", kFree,
             "opaque"},
            {"ReadyNotifier1", "TReadyNotifier", "", 0, 0, 0, 0, "", kFree, ""},
            {"ProgressBar1", "TProgressBar", "", 0, 126, 368, 16, "", 0, "bottom range 0..100"},
        });
}

TEST_F(DialogLayoutTest, FolderEntryDialog)
{
    // The start button stays disabled only while the proposed folder holds no installation.
    TempFolder empty;
    SavedRegValue recorded{HKEY_CLASSES_ROOT, "Zandera2.Application\\dstDir", "",
                           "Zandera2.Application"};
    recorded.SetText(empty.Path());
    ExpectLayout<TfrmInputPath>(
        {kTitle, 491, 215, true, false, true},
        {
            {"BitBtn2", "TBitBtn", "", 112, 164, 105, 43, "開始", 0, "default disabled result 1"},
            {"BitBtn3", "TBitBtn", "", 240, 164, 105, 43, "いいえ", 1, "cancel result 2"},
            {"Panel1", "TPanel", "", 8, 12, 473, 129, "", 2, "raised in lowered"},
            {"Label2", "TLabel", "Panel1", 16, 64, kFree, kFree, "フォルダ(&F)", kFree,
             "transparent focuses Edit1"},
            {"Edit1", "TEdit", "Panel1", 16, 83, 337, 20, nullptr, 0, ""},
            {"BitBtn1", "TBitBtn", "Panel1", 366, 74, 93, 39, "参照(&R)...", 1, "result 0"},
            {"Label1", "TLabel", "Panel1", 48, 16, kFree, kFree,
             "ザンデラ2がインストールされているフォルダを指定してください", kFree, "transparent"},
            {"Bevel1", "TBevel", "Panel1", 16, 40, 441, 13, "", kFree, "top line"},
        });
}

TEST_F(DialogLayoutTest, FolderPicker)
{
    ExpectLayout<TfrmSelDir>(
        {"フォルダの選択", 464, 298, true, true, true},
        {
            {"OKBtn", "TBitBtn", "", 343, 16, 105, 43, "はい", 0, "default result 1"},
            {"CancelBtn", "TBitBtn", "", 343, 71, 105, 43, "いいえ", 1, "cancel result 2"},
            {"Panel1", "TPanel", "", 12, 12, 305, 277, "", 3, "raised in lowered"},
            {"DirectoryListBox", "TDirectoryListBox", "Panel1", 16, 32, 273, 205, "", 0,
             "item height 16"},
            {"DriveComboBox1", "TDriveComboBox", "Panel1", 83, 246, 206, kFree, nullptr, 1,
             "linked to DirectoryListBox"},
            {"lblDirName", "TLabel", "Panel1", 80, 12, 213, 16, "", kFree, "transparent fixed"},
            {"Label1", "TLabel", "Panel1", 16, 12, kFree, kFree, "フォルダ(&F):", kFree,
             "transparent focuses DirectoryListBox"},
            {"Label2", "TLabel", "Panel1", 20, 250, kFree, kFree, "ドライブ(&V)", kFree,
             "transparent focuses DriveComboBox1"},
        });
}

} // namespace
