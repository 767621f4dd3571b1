// Forms built from layout texts: what the layout declares is what the windows show, and names
// the layout does not know are errors with a clear message.
#include "framework/layout/Layout.h"

#include "support/BoxWatcher.h"
#include "support/FormTesting.h"
#include "framework/ui/Bevel.h"
#include "framework/ui/Button.h"
#include "framework/ui/Edit.h"
#include "framework/ui/ImageControl.h"
#include "framework/ui/Label.h"
#include "framework/ui/Panel.h"
#include "framework/ui/ProgressBar.h"

#include <commctrl.h>
#include <gtest/gtest.h>

namespace {

class LayoutTest : public FormTest {};

const char kDialogLayout[] = R"LAYOUT(# A dialog like the folder entry dialog
form frmTest
    Caption      = "frmTest"
    BorderStyle  = Dialog
    BorderIcons  = [SystemMenu]
    Position     = ScreenCenter
    ClientWidth  = 368
    ClientHeight = 142
    Font.Name    = "ＭＳ Ｐゴシック"
    Font.Charset = SHIFTJIS_CHARSET
    Font.Height  = -12
    OnCreate     = FormCreate

TBitBtn btnStart
    Bounds      = [112, 60, 105, 43]
    Caption     = "開始"
    Default     = true
    ModalResult = Ok
    TabOrder    = 1
    OnClick     = StartClick

TBitBtn btnNo
    Bounds      = [240, 60, 105, 43]
    Caption     = "いいえ"
    Cancel      = true
    ModalResult = Cancel
    TabOrder    = 0

TPanel Panel1
    Bounds      = [8, 4, 200, 50]
    Caption     = ""
    BevelInner  = Raised
    BevelOuter  = Lowered
    TabOrder    = 2

TLabel Label1
    Parent      = Panel1
    Bounds      = [4, 4, 100, 12]
    Caption     = "フォルダ(&F)"
    Transparent = true

TEdit Edit1
    Parent   = Panel1
    Bounds   = [4, 20, 150, 20]
    Text     = "C:\ソフト\表"
    OnChange = EditChange

TMemo Memo1
    Bounds  = [0, 0, 50, 40]
    Visible = false
    Lines   = [
        "ZANDERA2.EXE"
        "say ""hi"""
    ]

TBevel Bevel1
    Bounds = [0, 0, 100, 13]
    Shape  = TopLine

TProgressBar ProgressBar1
    Bounds   = [0, 126, 368, 16]
    Align    = Bottom
    Max      = 12
    Position = 3
)LAYOUT";

class TDialogForm : public TForm {
public:
    explicit TDialogForm(TComponent* owner, const std::string& layout = kDialogLayout)
        : TForm(owner)
    {
        AddHandler("FormCreate", &TDialogForm::FormCreate);
        AddHandler("StartClick", &TDialogForm::StartClick);
        AddHandler("EditChange", &TDialogForm::EditChange);
        AddField("btnStart", btnStart);
        AddField("Edit1", Edit1);
        AddField("Memo1", Memo1);
        AddField("ProgressBar1", ProgressBar1);
        ReadLayout(*this, layout, "TEST");
    }
    void FormCreate(TObject*) { createdWithStart = btnStart != nullptr; }
    void StartClick(TObject* sender) { clickedBy = sender; }
    void EditChange(TObject*) { ++changes; }

    TBitBtn* btnStart = nullptr;
    TEdit* Edit1 = nullptr;
    TMemo* Memo1 = nullptr;
    TProgressBar* ProgressBar1 = nullptr;
    bool createdWithStart = false;
    TObject* clickedBy = nullptr;
    int changes = 0;
};

LOGFONTA FontOf(HWND window)
{
    LOGFONTA lf{};
    auto font = reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0));
    GetObjectA(font, sizeof lf, &lf);
    return lf;
}

std::string LayoutError(const std::string& layout)
{
    try {
        TDialogForm form(nullptr, layout);
    } catch (const ELayoutError& e) {
        return e.Message();
    }
    return "(no error)";
}

} // namespace

TEST_F(LayoutTest, WindowsShowWhatTheLayoutDeclares)
{
    TDialogForm form(nullptr);
    HWND window = form.Handle();
    EXPECT_EQ("frmTest", TextOf(window));
    SIZE client = ClientSizeOf(window);
    EXPECT_EQ(368, client.cx);
    EXPECT_EQ(142, client.cy);

    LONG style = GetWindowLongA(window, GWL_STYLE);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    EXPECT_TRUE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_DLGMODALFRAME);

    HWND start = ChildWithText(window, "開始");
    ASSERT_NE(nullptr, start);
    EXPECT_EQ(form.btnStart->Handle(), start);
    RECT r;
    GetWindowRect(start, &r);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(112, r.left);
    EXPECT_EQ(60, r.top);
    EXPECT_EQ(105, r.right - r.left);
    EXPECT_EQ(43, r.bottom - r.top);
    EXPECT_TRUE(GetWindowLongA(start, GWL_STYLE) & BS_DEFPUSHBUTTON);

    LOGFONTA lf = FontOf(start);
    EXPECT_STREQ("ＭＳ Ｐゴシック", lf.lfFaceName);
    EXPECT_EQ(-12, lf.lfHeight);
    EXPECT_EQ(SHIFTJIS_CHARSET, lf.lfCharSet);

    // The edit sits in the panel, with its text as written (CP932 trail bytes 0x5C intact).
    HWND edit = form.Edit1->Handle();
    EXPECT_EQ(FindWindowExA(window, nullptr, "Za2Panel", nullptr), GetParent(edit));
    EXPECT_EQ("C:\\ソフト\\表", TextOf(edit));
    EXPECT_EQ(-12, FontOf(edit).lfHeight);
    EXPECT_EQ(0, form.changes);  // set while loading: no change event

    EXPECT_FALSE(IsWindowVisible(form.Memo1->Handle()));
    ASSERT_EQ(2, form.Memo1->LineCount());
    EXPECT_EQ("ZANDERA2.EXE", form.Memo1->Line(0));
    EXPECT_EQ("say \"hi\"", form.Memo1->Line(1));

    EXPECT_EQ(126, form.ProgressBar1->Top());
    EXPECT_EQ(368, form.ProgressBar1->Width());
    EXPECT_EQ(12, SendMessageA(form.ProgressBar1->Handle(), PBM_GETRANGE, FALSE, 0));
    EXPECT_EQ(3, SendMessageA(form.ProgressBar1->Handle(), PBM_GETPOS, 0, 0));
    EXPECT_TRUE(form.createdWithStart);
}

TEST_F(LayoutTest, HandlersAndTabOrderAreBound)
{
    TDialogForm form(nullptr);
    form.Show();
    SendMessageA(form.btnStart->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(form.btnStart, form.clickedBy);
    EXPECT_EQ(mrOk, form.ModalResult());

    form.Edit1->SetText("D:\\");
    form.Edit1->SetText("D:\\");
    EXPECT_EQ(1, form.changes);  // the same text again is no change

    HWND window = form.Handle();
    HWND first = GetNextDlgTabItem(window, nullptr, FALSE);
    EXPECT_EQ("いいえ", TextOf(first));
    HWND second = GetNextDlgTabItem(window, first, FALSE);
    EXPECT_EQ("開始", TextOf(second));
    EXPECT_EQ(form.Edit1->Handle(), GetNextDlgTabItem(window, second, FALSE));
}

TEST_F(LayoutTest, UnknownNamesAreErrorsWithTheirLine)
{
    const std::string head = "form frmTest\n    OnCreate = FormCreate\n";
    EXPECT_EQ("ﾌｫｰﾑ TEST の定義が不正です: 3 行目: 部品の種類 'TNoSuch' はありません",
              LayoutError(head + "TNoSuch Thing1\n"));
    EXPECT_EQ("ﾌｫｰﾑ TEST の定義が不正です: 4 行目: TBitBtn にﾌﾟﾛﾊﾟﾃｨ 'Colour' はありません",
              LayoutError(head + "TBitBtn btnStart\n    Colour = 3\n"));
    EXPECT_EQ("ﾌｫｰﾑ TEST の定義が不正です: 4 行目: ｲﾍﾞﾝﾄﾊﾝﾄﾞﾗ 'NoSuchClick' はありません",
              LayoutError(head + "TBitBtn btnStart\n    OnClick = NoSuchClick\n"));
    // A handler of another event type does not fit either.
    EXPECT_EQ("ﾌｫｰﾑ TEST の定義が不正です: 4 行目: ｲﾍﾞﾝﾄﾊﾝﾄﾞﾗ 'FormCreate' はありません",
              LayoutError(head + "TBitBtn btnStart\n    OnMouseUp = FormCreate\n"));
    EXPECT_EQ("ﾌｫｰﾑ TEST の定義が不正です: 4 行目: 部品 'Panel9' はありません",
              LayoutError(head + "TLabel Label1\n    Parent = Panel9\n"));
    EXPECT_EQ("ﾌｫｰﾑ TEST の定義が不正です: 4 行目: ﾌﾟﾛﾊﾟﾃｨ 'Left' の値が正しくありません",
              LayoutError(head + "TBitBtn btnStart\n    Left = \"44\"\n"));
    EXPECT_EQ("ﾌｫｰﾑ TEST の定義が不正です: 4 行目: 書式が正しくありません",
              LayoutError(head + "TBitBtn btnStart\n    Caption = \"open\n"));
    EXPECT_EQ("ﾌｫｰﾑ TEST の定義が不正です: 部品 'Edit1' が定義にありません",
              LayoutError(head));
    EXPECT_EQ("ﾌｫｰﾑ TEST の定義が不正です: 3 行目: 部品 'btnStart' の種類が違います",
              LayoutError(head + "TLabel btnStart\n"));
    EXPECT_EQ("ﾌｫｰﾑ TEST の定義が不正です: 5 行目: 名前 'btnStart' は既に使われています",
              LayoutError(head + "TBitBtn btnStart\n\nTLabel btnStart\n"));
    EXPECT_EQ("ﾌｫｰﾑ TEST の定義が不正です: 1 行目: ﾌｫｰﾑの定義 (form 名前) で始まっていません",
              LayoutError("TBitBtn btnStart\n"));
}

namespace {

// A component kind of another unit, with a nested property and a deferred step.
class TPart : public TComponent {
public:
    using TComponent::TComponent;
    int inner = 0;
    int outer = 0;
    int seenAtLoaded = -1;
    int loadedCalls = 0;
    static int loadedBeforeCreate;

protected:
    void Loaded() override
    {
        ++loadedCalls;
        seenAtLoaded = inner + outer;
        ++loadedBeforeCreate;
    }
};
int TPart::loadedBeforeCreate = 0;

class TPartForm : public TForm {
public:
    explicit TPartForm(TComponent* owner) : TForm(owner)
    {
        AddHandler("FormCreate", TNotifyEvent([this](TObject*) {
                       loadedAtCreate = TPart::loadedBeforeCreate;
                   }));
        AddField("Part1", part);
        ReadLayout(*this, "form frmPart\n    OnCreate = FormCreate\n"
                          "TPart Part1\n    Inner.Value = 40\n    Outer = 2\n",
                          "PART");
    }
    TPart* part = nullptr;
    int loadedAtCreate = 0;
};

} // namespace

TEST_F(LayoutTest, KindsOfOtherUnitsGetNestedPropertiesAndLoadedOnce)
{
    RegisterKind<TPart>("TPart", "TComponent")
        .Integer("Inner.Value", [](TPart& p, int v) { p.inner = v; })
        .Integer("Outer", [](TPart& p, int v) { p.outer = v; });
    TPart::loadedBeforeCreate = 0;
    TPartForm form(nullptr);
    ASSERT_NE(nullptr, form.part);
    EXPECT_EQ(&form, form.part->Owner());
    EXPECT_EQ(1, form.part->loadedCalls);
    EXPECT_EQ(42, form.part->seenAtLoaded);  // all properties were in when Loaded ran
    EXPECT_EQ(1, form.loadedAtCreate);       // and before the creation handler
    EXPECT_FALSE(form.part->Loading());
}

TEST_F(LayoutTest, CreationHandlerFailureIsReportedAndTheFormIsStillMade)
{
    struct TFailingForm : TForm {
        explicit TFailingForm(TComponent* owner) : TForm(owner)
        {
            AddHandler("FormCreate", TNotifyEvent([](TObject*) { throw EResNotFound("LOGO ﾘｿｰｽが見つかりません"); }));
            ReadLayout(*this, "form frmFail\n    ClientWidth = 100\n    OnCreate = FormCreate\n", "FAIL");
        }
    };
    BoxWatcher watcher;
    TFailingForm form(nullptr);
    EXPECT_EQ(100, form.ClientWidth());
    auto boxes = watcher.Boxes();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ("LOGO ﾘｿｰｽが見つかりません.", boxes[0].text);
    EXPECT_EQ(BoxWatcher::StopIcon(), boxes[0].icon);
    EXPECT_EQ("ザンデラ2.02アップデータ", boxes[0].caption);
}
