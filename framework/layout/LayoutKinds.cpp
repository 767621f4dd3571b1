// The toolkit's own component kinds and the properties that layouts may give them.
#include "framework/layout/LayoutRegistry.h"
#include "framework/ui/Bevel.h"
#include "framework/ui/Button.h"
#include "framework/ui/Edit.h"
#include "framework/ui/Form.h"
#include "framework/ui/ImageControl.h"
#include "framework/ui/Label.h"
#include "framework/ui/Panel.h"
#include "framework/ui/ProgressBar.h"
#include "framework/core/FrameworkStrings.h"

namespace {

COLORREF ReadColor(const TLayoutValue& value, TLayoutContext& ctx)
{
    if (value.type == TLayoutValue::Type::Integer)
        return static_cast<COLORREF>(ctx.AsInteger(value));
    return ctx.AsEnum<COLORREF>(value, {{"BtnFace", clBtnFace},
                                        {"Window", clWindow},
                                        {"WindowText", clWindowText},
                                        {"Black", RGB(0, 0, 0)},
                                        {"White", RGB(255, 255, 255)}});
}

BYTE ReadCharset(const TLayoutValue& value, TLayoutContext& ctx)
{
    if (value.type == TLayoutValue::Type::Integer)
        return static_cast<BYTE>(ctx.AsInteger(value));
    return ctx.AsEnum<BYTE>(value, {{"SHIFTJIS_CHARSET", SHIFTJIS_CHARSET},
                                    {"DEFAULT_CHARSET", DEFAULT_CHARSET},
                                    {"ANSI_CHARSET", ANSI_CHARSET}});
}

void RegisterControl()
{
    RegisterAbstractKind<TComponent>("TComponent", "");
    RegisterAbstractKind<TControl>("TControl", "TComponent")
        .Integer("Left", &TControl::SetLeft)
        .Integer("Top", &TControl::SetTop)
        .Integer("Width", &TControl::SetWidth)
        .Integer("Height", &TControl::SetHeight)
        .Property("Bounds",
                  [](TControl& c, const TLayoutValue& v, TLayoutContext& ctx) {
                      const auto& items = ctx.AsList(v);
                      if (items.size() != 4)
                          ctx.BadValue();
                      c.SetBounds(static_cast<int>(ctx.AsInteger(items[0])),
                                  static_cast<int>(ctx.AsInteger(items[1])),
                                  static_cast<int>(ctx.AsInteger(items[2])),
                                  static_cast<int>(ctx.AsInteger(items[3])));
                  })
        .Text("Caption", &TControl::SetCaption)
        .Boolean("Visible", &TControl::SetVisible)
        .Boolean("Enabled", &TControl::SetEnabled)
        .Enum("Align", &TControl::SetAlign,
              {{"None", TAlign::None},
               {"Top", TAlign::Top},
               {"Bottom", TAlign::Bottom},
               {"Left", TAlign::Left},
               {"Right", TAlign::Right},
               {"Client", TAlign::Client}})
        .Property("Color",
                  [](TControl& c, const TLayoutValue& v, TLayoutContext& ctx) {
                      c.SetColor(ReadColor(v, ctx));
                  })
        .Boolean("ParentFont", &TControl::SetParentFont)
        .Text("Font.Name", [](TControl& c, const std::string& v) { c.Font().SetName(v); })
        .Integer("Font.Height", [](TControl& c, int v) { c.Font().SetHeight(v); })
        .Integer("Font.Size", [](TControl& c, int v) { c.Font().SetSize(v); })
        .Property("Font.Charset",
                  [](TControl& c, const TLayoutValue& v, TLayoutContext& ctx) {
                      c.Font().SetCharset(ReadCharset(v, ctx));
                  })
        .Property("Font.Color",
                  [](TControl& c, const TLayoutValue& v, TLayoutContext& ctx) {
                      c.Font().SetColor(ColorToRGB(ReadColor(v, ctx)));
                  })
        .Property("Font.Style",
                  [](TControl& c, const TLayoutValue& v, TLayoutContext& ctx) {
                      TFontStyles style;
                      for (const TLayoutValue& item : ctx.AsList(v)) {
                          bool* flag = ctx.AsEnum<bool*>(item, {{"Bold", &style.bold},
                                                                {"Italic", &style.italic},
                                                                {"Underline", &style.underline},
                                                                {"StrikeOut", &style.strikeOut}});
                          *flag = true;
                      }
                      c.Font().SetStyle(style);
                  })
        .Property("Parent",
                  [](TControl& c, const TLayoutValue& v, TLayoutContext& ctx) {
                      auto* parent = dynamic_cast<TWinControl*>(ctx.AsComponent(v));
                      if (!parent || parent == &c)
                          ctx.Fail(SLayoutNotParent, {std::to_string(ctx.Line()), v.text});
                      c.SetParent(parent);
                  })
        .Event("OnClick", &TControl::OnClick)
        .Event("OnMouseDown", &TControl::OnMouseDown)
        .Event("OnMouseUp", &TControl::OnMouseUp)
        .Event("OnMouseMove", &TControl::OnMouseMove);

    RegisterAbstractKind<TWinControl>("TWinControl", "TControl")
        .Integer("TabOrder", &TWinControl::SetTabOrder)
        .Boolean("TabStop", &TWinControl::SetTabStop);
}

void RegisterForm()
{
    RegisterAbstractKind<TForm>("TForm", "TWinControl")
        .Integer("ClientWidth", &TForm::SetClientWidth)
        .Integer("ClientHeight", &TForm::SetClientHeight)
        .Enum("BorderStyle", &TForm::SetBorderStyle,
              {{"None", TBorderStyle::None},
               {"Single", TBorderStyle::Single},
               {"Sizeable", TBorderStyle::Sizeable},
               {"Dialog", TBorderStyle::Dialog},
               {"ToolWindow", TBorderStyle::ToolWindow},
               {"SizeToolWin", TBorderStyle::SizeToolWin}})
        .Property("BorderIcons",
                  [](TForm& f, const TLayoutValue& v, TLayoutContext& ctx) {
                      TBorderIcons icons;
                      icons.systemMenu = icons.minimize = icons.maximize = icons.help = false;
                      for (const TLayoutValue& item : ctx.AsList(v)) {
                          bool* flag = ctx.AsEnum<bool*>(item, {{"SystemMenu", &icons.systemMenu},
                                                                {"Minimize", &icons.minimize},
                                                                {"Maximize", &icons.maximize},
                                                                {"Help", &icons.help}});
                          *flag = true;
                      }
                      f.SetBorderIcons(icons);
                  })
        .Enum("Position", &TForm::SetPosition,
              {{"Designed", TPosition::Designed}, {"ScreenCenter", TPosition::ScreenCenter}})
        .Enum("FormStyle", &TForm::SetFormStyle,
              {{"Normal", TFormStyle::Normal}, {"StayOnTop", TFormStyle::StayOnTop}})
        .Property("ActiveControl",
                  [](TForm& f, const TLayoutValue& v, TLayoutContext& ctx) {
                      // The control may come later in the layout.
                      ctx.Defer([&f, v, &ctx] {
                          auto* control = dynamic_cast<TWinControl*>(ctx.AsComponent(v));
                          if (!control)
                              ctx.Fail(SLayoutWrongKind, {std::to_string(ctx.Line()), v.text});
                          f.SetActiveControl(control);
                      });
                  })
        .Event("OnCreate", &TForm::OnCreate)
        .Event("OnShow", &TForm::OnShow)
        .Event("OnHide", &TForm::OnHide)
        .Event("OnCloseQuery", &TForm::OnCloseQuery)
        .Event("OnClose", &TForm::OnClose);
}

TModalResult ReadModalResult(const TLayoutValue& v, TLayoutContext& ctx)
{
    if (v.type == TLayoutValue::Type::Integer)
        return static_cast<TModalResult>(ctx.AsInteger(v));
    return ctx.AsEnum<TModalResult>(v, {{"None", mrNone},
                                        {"Ok", mrOk},
                                        {"Cancel", mrCancel},
                                        {"Abort", mrAbort},
                                        {"Retry", mrRetry},
                                        {"Ignore", mrIgnore},
                                        {"Yes", mrYes},
                                        {"No", mrNo}});
}

void RegisterButtonsAndEdits()
{
    RegisterKind<TBitBtn>("TBitBtn", "TWinControl")
        .Boolean("Default", &TBitBtn::SetDefault)
        .Boolean("Cancel", &TBitBtn::SetCancel)
        .Property("ModalResult", [](TBitBtn& b, const TLayoutValue& v, TLayoutContext& ctx) {
            b.SetModalResult(ReadModalResult(v, ctx));
        });

    RegisterAbstractKind<TCustomEdit>("TCustomEdit", "TWinControl")
        .Text("Text", &TCustomEdit::SetText)
        .Boolean("ReadOnly", &TCustomEdit::SetReadOnly)
        .Integer("MaxLength", &TCustomEdit::SetMaxLength)
        .Event("OnChange", &TCustomEdit::OnChange);
    RegisterKind<TEdit>("TEdit", "TCustomEdit");
    RegisterKind<TMemo>("TMemo", "TCustomEdit")
        .Property("Lines",
                  [](TMemo& m, const TLayoutValue& v, TLayoutContext& ctx) {
                      std::vector<std::string> lines;
                      for (const TLayoutValue& item : ctx.AsList(v))
                          lines.push_back(ctx.AsText(item));
                      m.SetLines(lines);
                  })
        .Boolean("WordWrap", &TMemo::SetWordWrap)
        .Boolean("WantReturns", &TMemo::SetWantReturns);
}

void RegisterDisplays()
{
    RegisterKind<TLabel>("TLabel", "TControl")
        .Boolean("AutoSize", &TLabel::SetAutoSize)
        .Boolean("Transparent", &TLabel::SetTransparent)
        .Boolean("WordWrap", &TLabel::SetWordWrap)
        .Boolean("ShowAccelChar", &TLabel::SetShowAccelChar)
        .Enum("Alignment", &TLabel::SetAlignment,
              {{"LeftJustify", TAlignment::LeftJustify},
               {"RightJustify", TAlignment::RightJustify},
               {"Center", TAlignment::Center}})
        .Property("FocusControl", [](TLabel& l, const TLayoutValue& v, TLayoutContext& ctx) {
            ctx.Defer([&l, v, &ctx] {
                auto* control = dynamic_cast<TWinControl*>(ctx.AsComponent(v));
                if (!control)
                    ctx.Fail(SLayoutWrongKind, {std::to_string(ctx.Line()), v.text});
                l.SetFocusControl(control);
            });
        });

    RegisterKind<TBevel>("TBevel", "TControl")
        .Enum("Shape", &TBevel::SetShape,
              {{"Box", TBevelShape::Box},
               {"Frame", TBevelShape::Frame},
               {"TopLine", TBevelShape::TopLine},
               {"BottomLine", TBevelShape::BottomLine},
               {"LeftLine", TBevelShape::LeftLine},
               {"RightLine", TBevelShape::RightLine},
               {"Spacer", TBevelShape::Spacer}})
        .Enum("Style", &TBevel::SetStyle,
              {{"Lowered", TBevelStyle::Lowered}, {"Raised", TBevelStyle::Raised}});

    std::initializer_list<std::pair<const char*, TBevelCut>> cuts = {
        {"None", TBevelCut::None}, {"Lowered", TBevelCut::Lowered}, {"Raised", TBevelCut::Raised}};
    RegisterKind<TPanel>("TPanel", "TWinControl")
        .Enum("BevelInner", &TPanel::SetBevelInner, cuts)
        .Enum("BevelOuter", &TPanel::SetBevelOuter, cuts)
        .Integer("BevelWidth", &TPanel::SetBevelWidth)
        .Integer("BorderWidth", &TPanel::SetBorderWidth);

    RegisterKind<TProgressBar>("TProgressBar", "TWinControl")
        .Integer("Min", &TProgressBar::SetMin)
        .Integer("Max", &TProgressBar::SetMax)
        .Integer("Position", &TProgressBar::SetPosition)
        .Integer("Step", &TProgressBar::SetStep);

    RegisterKind<TImage>("TImage", "TControl")
        .Boolean("AutoSize", &TImage::SetAutoSize)
        .Boolean("Stretch", &TImage::SetStretch)
        .Boolean("Center", &TImage::SetCenter);
}

} // namespace

void RegisterStandardKinds()
{
    RegisterControl();
    RegisterForm();
    RegisterButtonsAndEdits();
    RegisterDisplays();
}
