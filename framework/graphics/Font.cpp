#include "framework/graphics/Font.h"

#include <cstring>

namespace {

constexpr int kDefaultHeight = 12;            // the program's window font size in pixels
constexpr int kPointsPerInch = 72;

// The screen's resolution does not change while the program runs: asked once.
int ScreenPixelsPerInch()
{
    static const int ppi = [] {
        TScreenDC screen;
        return GetDeviceCaps(screen, LOGPIXELSY);
    }();
    return ppi;
}

}  // namespace

TFont::TFont()
    : name_("ＭＳ Ｐゴシック"), charset_(SHIFTJIS_CHARSET), height_(-kDefaultHeight),
      pixelsPerInch_(ScreenPixelsPerInch())
{
}

void TFont::Assign(TPersistent* source)
{
    if (auto* font = dynamic_cast<TFont*>(source)) {
        name_ = font->name_;
        charset_ = font->charset_;
        height_ = font->height_;
        pixelsPerInch_ = font->pixelsPerInch_;
        color_ = font->color_;
        style_ = font->style_;
        Changed();
        return;
    }
    TGraphicsObject::Assign(source);
}

void TFont::SetName(const std::string& name)
{
    if (name != name_) {
        name_ = name;
        Changed();
    }
}

void TFont::SetCharset(BYTE charset)
{
    if (charset != charset_) {
        charset_ = charset;
        Changed();
    }
}

void TFont::SetHeight(int height)
{
    if (height != height_) {
        height_ = height;
        Changed();
    }
}

int TFont::Size() const
{
    return -MulDiv(height_, kPointsPerInch, pixelsPerInch_);
}

void TFont::SetSize(int points)
{
    SetHeight(-MulDiv(points, pixelsPerInch_, kPointsPerInch));
}

void TFont::SetPixelsPerInch(int ppi)
{
    if (ppi > 0)
        pixelsPerInch_ = ppi;
}

void TFont::SetColor(COLORREF color)
{
    if (color != color_) {
        color_ = color;
        Changed();
    }
}

void TFont::SetStyle(const TFontStyles& style)
{
    if (style != style_) {
        style_ = style;
        Changed();
    }
}

HFONT TFont::Handle()
{
    if (!handle_) {
        LOGFONTA log{};
        log.lfHeight = height_;
        log.lfWeight = style_.bold ? FW_BOLD : FW_NORMAL;
        log.lfItalic = style_.italic;
        log.lfUnderline = style_.underline;
        log.lfStrikeOut = style_.strikeOut;
        log.lfCharSet = charset_;
        log.lfOutPrecision = OUT_DEFAULT_PRECIS;
        log.lfClipPrecision = CLIP_DEFAULT_PRECIS;
        log.lfQuality = DEFAULT_QUALITY;
        log.lfPitchAndFamily = DEFAULT_PITCH;
        // LOGFONT keeps at most LF_FACESIZE - 1 bytes of name; longer names are cut.
        std::strncpy(log.lfFaceName, name_.c_str(), LF_FACESIZE - 1);
        handle_.Reset(RequireHandle(CreateFontIndirectA(&log)));
    }
    return handle_.Get();
}
