#include "framework/ui/Edit.h"

namespace {
const int kEditWidth = 121;
const int kEditHeight = 21;
const int kMemoWidth = 185;
const int kMemoHeight = 89;
const char kLineBreak[] = "\r\n";
}

TCustomEdit::TCustomEdit(TComponent* owner) : TWinControl(owner)
{
    SetTabStop(true);
    SetColor(clWindow);
}

void TCustomEdit::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    params.className = "EDIT";
    params.exStyle |= WS_EX_CLIENTEDGE;
    if (readOnly_)
        params.style |= ES_READONLY;
}

void TCustomEdit::HandleCreated()
{
    TWinControl::HandleCreated();
    if (maxLength_ > 0)
        SendMessageA(Handle(), EM_LIMITTEXT, static_cast<WPARAM>(maxLength_), 0);
}

void TCustomEdit::SetReadOnly(bool readOnly)
{
    readOnly_ = readOnly;
    if (HandleAllocated())
        SendMessageA(Handle(), EM_SETREADONLY, readOnly_, 0);
}

void TCustomEdit::SetMaxLength(int length)
{
    maxLength_ = length;
    if (HandleAllocated())
        SendMessageA(Handle(), EM_LIMITTEXT, static_cast<WPARAM>(length > 0 ? length : 0), 0);
}

void TCustomEdit::Command(WORD code)
{
    if (code == EN_CHANGE && !settingText_)
        Change();
}

// Setting the text reports exactly one change, whatever the edit window itself notifies.
void TCustomEdit::CaptionChanged()
{
    if (HandleAllocated()) {
        settingText_ = true;
        SetWindowTextA(Handle(), StoredCaption().c_str());
        settingText_ = false;
    }
    Change();
}

void TCustomEdit::Change()
{
    if (!Loading())
        Fire(OnChange, this);
}

TEdit::TEdit(TComponent* owner) : TCustomEdit(owner)
{
    SetBounds(0, 0, kEditWidth, kEditHeight);
}

void TEdit::CreateParams(TCreateParams& params)
{
    TCustomEdit::CreateParams(params);
    params.style |= ES_AUTOHSCROLL;
}

TMemo::TMemo(TComponent* owner) : TCustomEdit(owner)
{
    SetBounds(0, 0, kMemoWidth, kMemoHeight);
}

void TMemo::CreateParams(TCreateParams& params)
{
    TCustomEdit::CreateParams(params);
    params.style |= ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL;
    if (wantReturns_)
        params.style |= ES_WANTRETURN;
    if (!wordWrap_)
        params.style |= ES_AUTOHSCROLL | WS_HSCROLL;
}

std::vector<std::string> TMemo::Lines() const
{
    std::vector<std::string> lines;
    std::string text = Text();
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        size_t lineEnd = end;
        if (lineEnd > start && text[lineEnd - 1] == '\r')
            --lineEnd;
        lines.push_back(text.substr(start, lineEnd - start));
        start = end + 1;
    }
    return lines;
}

void TMemo::SetLines(const std::vector<std::string>& lines)
{
    std::string text;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i)
            text += kLineBreak;
        text += lines[i];
    }
    SetText(text);
}

std::string TMemo::Line(int index) const
{
    std::vector<std::string> lines = Lines();
    if (index < 0 || index >= static_cast<int>(lines.size()))
        return std::string();
    return lines[static_cast<size_t>(index)];
}
