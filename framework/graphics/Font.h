#pragma once
// A font description and the HFONT made from it. The height is in pixels (negative: character
// height without internal leading, as LOGFONT); Size is in points at PixelsPerInch.
#include "framework/graphics/GraphicsObject.h"
#include "framework/win32/GdiHandle.h"

#include <string>

struct TFontStyles {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    bool operator==(const TFontStyles& o) const
    {
        return bold == o.bold && italic == o.italic && underline == o.underline &&
               strikeOut == o.strikeOut;
    }
    bool operator!=(const TFontStyles& o) const { return !(*this == o); }
};

class TFont : public TGraphicsObject {
public:
    // The program's window font: "ＭＳ Ｐゴシック", 12 pixels, Shift-JIS, black.
    TFont();
    ZA2_CLASS_NAME(TFont)

    void Assign(TPersistent* source) override;

    const std::string& Name() const { return name_; }
    void SetName(const std::string& name);
    BYTE Charset() const { return charset_; }
    void SetCharset(BYTE charset);
    int Height() const { return height_; }
    void SetHeight(int height);
    // Points at PixelsPerInch; setting it recomputes Height.
    int Size() const;
    void SetSize(int points);
    // The device resolution that Size refers to (the screen's at creation). Changing it keeps
    // Height; callers that want the same point size set Size again.
    int PixelsPerInch() const { return pixelsPerInch_; }
    void SetPixelsPerInch(int ppi);
    COLORREF Color() const { return color_; }
    void SetColor(COLORREF color);
    const TFontStyles& Style() const { return style_; }
    void SetStyle(const TFontStyles& style);

    // The HFONT for the current attributes, made on first use; owned by the font.
    HFONT Handle();

protected:
    HGDIOBJ DetachHandle() override { return handle_.Release(); }

private:
    std::string name_;
    BYTE charset_;
    int height_;
    int pixelsPerInch_;
    COLORREF color_ = RGB(0, 0, 0);
    TFontStyles style_;
    TOwnedFont handle_;
};
