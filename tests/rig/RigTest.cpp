// The test machine itself: a misconfigured Wine prefix must fail here, loudly, instead of
// turning every Japanese text into '?'.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace {

const char kUiFont[] = "ＭＳ Ｐゴシック";

int CALLBACK NoteFace(const LOGFONTA* font, const TEXTMETRICA*, DWORD, LPARAM found)
{
    *reinterpret_cast<std::string*>(found) = font->lfFaceName;
    return 0;
}

} // namespace

TEST(Rig, AnsiCodePageIsJapanese)
{
    EXPECT_EQ(932u, GetACP());
    // 表 is 0x95 0x5C in Shift-JIS; the second byte looks like a backslash.
    const std::string hyou = "\x95\x5c";
    wchar_t wide[4] = {};
    ASSERT_EQ(1, MultiByteToWideChar(CP_ACP, 0, hyou.c_str(), -1, wide, 4) - 1);
    EXPECT_EQ(L'\u8868', wide[0]);
}

TEST(Rig, StringTableArrivesAsShiftJis)
{
    char text[256] = {};
    // 65314: the success notice; its first character ア is 0x83 0x41 in Shift-JIS.
    ASSERT_GT(LoadStringA(GetModuleHandleA(nullptr), 65314, text, sizeof text), 0);
    EXPECT_EQ('\x83', text[0]);
    EXPECT_EQ('\x41', text[1]);
}

TEST(Rig, UiFontIsReplacedByAJapaneseFont)
{
    HDC dc = GetDC(nullptr);
    ASSERT_NE(nullptr, dc);
    LOGFONTA wanted = {};
    wanted.lfCharSet = SHIFTJIS_CHARSET;
    lstrcpyA(wanted.lfFaceName, kUiFont);
    std::string found;
    EnumFontFamiliesExA(dc, &wanted, NoteFace, reinterpret_cast<LPARAM>(&found), 0);
    EXPECT_EQ(kUiFont, found) << "the font replacement is missing from the Wine prefix";

    HFONT font = CreateFontA(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, SHIFTJIS_CHARSET, 0, 0, 0, 0, kUiFont);
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICA metrics = {};
    GetTextMetricsA(dc, &metrics);
    EXPECT_EQ(SHIFTJIS_CHARSET, metrics.tmCharSet);
    // A Japanese glyph must exist: its index is not the font's default glyph.
    WORD glyph = 0;
    const char a[] = "\x83\x41";
    GetGlyphIndicesA(dc, a, 2, &glyph, GGI_MARK_NONEXISTING_GLYPHS);
    EXPECT_NE(0xFFFF, glyph);
    SelectObject(dc, old);
    DeleteObject(font);
    ReleaseDC(nullptr, dc);
}
