#pragma once
// Text boxes: the single-line edit box (its window text is its text) and the multi-line text
// box whose text is a list of lines. OnChange follows every change of the text, typed or set;
// setting the same text again is no change.
#include "framework/ui/Control.h"

#include <string>
#include <vector>

class TCustomEdit : public TWinControl {
public:
    explicit TCustomEdit(TComponent* owner);
    ZA2_CLASS_NAME(TCustomEdit)

    std::string Text() const { return Caption(); }
    void SetText(const std::string& text) { SetCaption(text); }
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool readOnly);
    int MaxLength() const { return maxLength_; }
    void SetMaxLength(int length);

    TNotifyEvent OnChange;

protected:
    void CreateParams(TCreateParams& params) override;
    void HandleCreated() override;
    void Command(WORD code) override;
    void CaptionChanged() override;
    virtual void Change();

private:
    bool readOnly_ = false;
    int maxLength_ = 0;
    bool settingText_ = false;
};

class TEdit : public TCustomEdit {
public:
    explicit TEdit(TComponent* owner);
    ZA2_CLASS_NAME(TEdit)

protected:
    void CreateParams(TCreateParams& params) override;
};

class TMemo : public TCustomEdit {
public:
    explicit TMemo(TComponent* owner);
    ZA2_CLASS_NAME(TMemo)

    // The lines of the text; a line break at the very end starts no further line.
    std::vector<std::string> Lines() const;
    void SetLines(const std::vector<std::string>& lines);
    int LineCount() const { return static_cast<int>(Lines().size()); }
    // Line index (from 0); an index outside the lines gives an empty text.
    std::string Line(int index) const;

    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool wordWrap) { wordWrap_ = wordWrap; }
    bool WantReturns() const { return wantReturns_; }
    void SetWantReturns(bool want) { wantReturns_ = want; }

protected:
    void CreateParams(TCreateParams& params) override;

private:
    bool wordWrap_ = true;
    bool wantReturns_ = true;
};
