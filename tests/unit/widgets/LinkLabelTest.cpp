#include <gtest/gtest.h>

#include "TestSupport.h"

#include "framework/Dialog.h"
#include "res/resource.h"
#include "util/widgets/LinkLabel.h"

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

// The hand as 16-bit rows, leftmost pixel in the highest bit.
const WORD kHandAnd[kHandRows] = {0xC7FF, 0xC3FF, 0xC3FF, 0xC3FF, 0xC1FF, 0xC07F,
                                  0xC03F, 0x000F, 0x000F, 0x000F, 0x000F, 0x000F,
                                  0x800F, 0xC00F, 0xE01F, 0xC00F, 0xC00F};
const WORD kHandXor[kHandRows] = {0x0000, 0x1800, 0x1800, 0x1800, 0x1800, 0x1E00,
                                  0x1F80, 0x1FE0, 0x5FE0, 0x5FE0, 0x7FE0, 0x7FE0,
                                  0x3FE0, 0x0FC0, 0x0780, 0x1FE0, 0x0000};

int ExpectedAnd(int r, int c)
{
    return (r < kHandRows && c < kHandCols) ? (kHandAnd[r] >> (15 - c)) & 1 : 1;
}

int ExpectedXor(int r, int c)
{
    return (r < kHandRows && c < kHandCols) ? (kHandXor[r] >> (15 - c)) & 1 : 0;
}

int BitAt(const BYTE* pRows, int nStride, int r, int c)
{
    return (pRows[r * nStride + c / 8] >> (7 - c % 8)) & 1;
}

struct Style {
    bool bold, italic, underline, strikeOut;
};

Style StyleOf(const char* pszStyle)
{
    LOGFONTA lf = {};
    ApplyFontStyle(pszStyle, &lf);
    EXPECT_TRUE(lf.lfWeight == 0 || lf.lfWeight == FW_BOLD) << pszStyle;
    return {lf.lfWeight == FW_BOLD, lf.lfItalic == 1, lf.lfUnderline == 1, lf.lfStrikeOut == 1};
}

void ExpectStyle(const char* pszStyle, bool bold, bool italic, bool underline, bool strikeOut)
{
    Style s = StyleOf(pszStyle);
    EXPECT_EQ(s.bold, bold) << "bold in \"" << pszStyle << "\"";
    EXPECT_EQ(s.italic, italic) << "italic in \"" << pszStyle << "\"";
    EXPECT_EQ(s.underline, underline) << "underline in \"" << pszStyle << "\"";
    EXPECT_EQ(s.strikeOut, strikeOut) << "strike-out in \"" << pszStyle << "\"";
}

LOGFONTA FontOf(HWND hWnd)
{
    HFONT hFont = reinterpret_cast<HFONT>(SendMessageA(hWnd, WM_GETFONT, 0, 0));
    EXPECT_TRUE(hFont);
    return FontInfo(hFont);
}

// A real dialog from the about box's template with a label of our own on its
// control 1000.
class LabelOnDialog : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dlg.Create(IDD_ABOUTBOX));
        ASSERT_TRUE(m_label.SubclassWindow(m_dlg.GetDlgItem(IDC_LINK)));
        m_hDialogFont = reinterpret_cast<HFONT>(m_dlg.SendMessage(WM_GETFONT));
    }
    void TearDown() override { m_dlg.DestroyWindow(); }

    CDialog m_dlg{IDD_ABOUTBOX};
    CLinkLabel m_label;
    HFONT m_hDialogFont = nullptr;
};

} // namespace

TEST(LinkLabelStyle, EnglishWordsInAnyLetterCaseWithOrWithoutSeparators)
{
    for (const char* s : {"BOLD", "bold", "Bold", "bOlD"})
        ExpectStyle(s, true, false, false, false);
    for (const char* s : {"ITALIC", "italic", "Italic"})
        ExpectStyle(s, false, true, false, false);
    for (const char* s : {"UNDERLINE", "underline", "UnderLine"})
        ExpectStyle(s, false, false, true, false);
    for (const char* s : {"STRIKEOUT", "strikeout", "StrikeOut"})
        ExpectStyle(s, false, false, false, true);
    for (const char* s : {"bold italic", "BOLD,ITALIC", "bolditalic", "Italic|Bold", "ItalicBold"})
        ExpectStyle(s, true, true, false, false);
    // A word inside a longer one still counts.
    ExpectStyle("UNDERLINED", false, false, true, false);
    ExpectStyle("BOLDFACE", true, false, false, false);
    ExpectStyle("boldface", true, false, false, false);
    ExpectStyle("", false, false, false, false);
    ExpectStyle("Regular, BOL D, ITAL", false, false, false, false);
}

TEST(LinkLabelStyle, JapaneseWords)
{
    if (!IsCodePage932())
        GTEST_SKIP() << "needs the Japanese ANSI code page";
    // ボールド and イタリック hold trail bytes that look like lower-case letters.
    for (const char* s : {"太字", "ボールド"})
        ExpectStyle(s, true, false, false, false);
    for (const char* s : {"イタリック", "斜体"})
        ExpectStyle(s, false, true, false, false);
    for (const char* s : {"下線", "アンダーライン"})
        ExpectStyle(s, false, false, true, false);
    for (const char* s : {"取り消し線", "取消線", "取消し線"})
        ExpectStyle(s, false, false, false, true);
    ExpectStyle("標準|下線", false, false, true, false);
    ExpectStyle("太字取消線", true, false, false, true);
    ExpectStyle("太字 斜体 アンダーライン strikeout", true, true, true, true);
    ExpectStyle("標準", false, false, false, false);
}

TEST(LinkLabelStyle, TrailBytesNeverStartAWord)
{
    if (!IsCodePage932())
        GTEST_SKIP() << "needs the Japanese ANSI code page";
    // ィ is 83 42 ('B'), ッ is 83 62 ('b'), オ 83 49 ('I'), ザ 83 55 ('U'),
    // ゴ 83 53 ('S'); ラ is 83 89 and ｺ BA, so "ラｺ線" holds the bytes of 下線.
    ExpectStyle("ィOLD", false, false, false, false);
    ExpectStyle("ィold", false, false, false, false);
    ExpectStyle("ッold", false, false, false, false);
    ExpectStyle("オTALIC", false, false, false, false);
    ExpectStyle("ザNDERLINE", false, false, false, false);
    ExpectStyle("ゴTRIKEOUT", false, false, false, false);
    ExpectStyle("ラｺ線", false, false, false, false);
    // The same words after a whole character still count.
    ExpectStyle("ィBOLD", true, false, false, false);
    ExpectStyle("ラ下線", false, false, true, false);
}

TEST(LinkLabelFont, DescriptionFromFaceSizeAndStyle)
{
    LOGFONTA lf;
    std::memset(&lf, 0xCC, sizeof(lf));
    BuildLinkLogFont("ＭＳ ゴシック", 90, "標準|下線", &lf);
    LOGFONTA expected = {};
    expected.lfHeight = -90;
    expected.lfUnderline = 1;
    expected.lfCharSet = DEFAULT_CHARSET;
    lstrcpyA(expected.lfFaceName, "ＭＳ ゴシック");
    EXPECT_EQ(std::memcmp(&lf, &expected, sizeof(lf)), 0);
}

TEST(LinkLabelFont, LongFaceNamesAreCutOnCharacterBoundaries)
{
    LOGFONTA lf;
    const std::string ascii(40, 'F');
    BuildLinkLogFont(ascii.c_str(), 90, "", &lf);
    EXPECT_EQ(std::string(lf.lfFaceName), ascii.substr(0, 31));

    BuildLinkLogFont(ascii.substr(0, 31).c_str(), 90, "", &lf);
    EXPECT_EQ(std::string(lf.lfFaceName), ascii.substr(0, 31));

    if (!IsCodePage932())
        GTEST_SKIP() << "needs the Japanese ANSI code page";
    std::string wide;
    for (int i = 0; i < 20; ++i)
        wide += "ゴ";
    // 31 bytes would end inside the sixteenth ゴ: it is left out whole.
    BuildLinkLogFont(wide.c_str(), 90, "", &lf);
    EXPECT_EQ(std::string(lf.lfFaceName), wide.substr(0, 30));

    BuildLinkLogFont(("A" + wide).c_str(), 90, "", &lf);
    EXPECT_EQ(std::string(lf.lfFaceName), "A" + wide.substr(0, 30));

    // A lead byte without its trail byte is not copied.
    BuildLinkLogFont("ABC\x83", 90, "", &lf);
    EXPECT_STREQ(lf.lfFaceName, "ABC");
}

TEST(LinkLabelFont, SizeNinetyIsTwelvePixelsAtNinetySixDpi)
{
    if (ScreenDpi() != 96)
        GTEST_SKIP() << "screen is not 96 dpi";
    for (int nSize : {90, -90}) {
        std::unique_ptr<CFont> pFont(
            CLinkLabel::CreateFontFromSpec("ＭＳ ゴシック", nSize, "BOLD"));
        ASSERT_TRUE(pFont && pFont->m_hObject);
        const LOGFONTA lf = FontInfo(*pFont);
        EXPECT_EQ(lf.lfHeight, -12);
        EXPECT_EQ(lf.lfWeight, FW_BOLD);
        EXPECT_STREQ(lf.lfFaceName, "ＭＳ ゴシック");
    }
}

class HandCursorSize : public testing::TestWithParam<int> {};

TEST_P(HandCursorSize, PlanesHoldTheHandTopLeftAndNothingElse)
{
    const int n = GetParam();
    const int nStride = HandPlaneStride(n);
    // Device-dependent bitmap rows: whole 16-bit words.
    EXPECT_EQ(nStride, n == 48 ? 6 : 4);
    std::vector<BYTE> planes = BuildHandPlanes(n, n);
    ASSERT_EQ(planes.size(), static_cast<size_t>(2 * nStride * n));
    const BYTE* pAnd = planes.data();
    const BYTE* pXor = planes.data() + nStride * n;
    for (int r = 0; r < n; ++r) {
        for (int c = 0; c < n; ++c) {
            ASSERT_EQ(BitAt(pAnd, nStride, r, c), ExpectedAnd(r, c)) << "AND " << r << "," << c;
            ASSERT_EQ(BitAt(pXor, nStride, r, c), ExpectedXor(r, c)) << "XOR " << r << "," << c;
        }
    }
}

TEST_P(HandCursorSize, CursorShowsTheHandWithItsHotSpotTopLeft)
{
    const int n = GetParam();
    HCURSOR hCursor = MakeHandCursor(n, n);
    ASSERT_TRUE(hCursor);
    ICONINFO ii = {};
    ASSERT_TRUE(GetIconInfo(hCursor, &ii));
    EXPECT_FALSE(ii.fIcon);
    EXPECT_EQ(ii.xHotspot, 0u);
    EXPECT_EQ(ii.yHotspot, 0u);
    EXPECT_EQ(ii.hbmColor, nullptr);
    ASSERT_TRUE(ii.hbmMask);

    // A monochrome cursor's mask bitmap is the AND rows above the XOR rows.
    struct {
        BITMAPINFOHEADER h;
        RGBQUAD colors[2];
    } bi = {};
    bi.h.biSize = sizeof(bi.h);
    bi.h.biWidth = n;
    bi.h.biHeight = -2 * n;
    bi.h.biPlanes = 1;
    bi.h.biBitCount = 1;
    const int nDibStride = ((n + 31) / 32) * 4;
    std::vector<BYTE> bits(static_cast<size_t>(nDibStride * 2 * n));
    HDC hdc = GetDC(nullptr);
    int nLines = GetDIBits(hdc, ii.hbmMask, 0, 2 * n, bits.data(),
                           reinterpret_cast<BITMAPINFO*>(&bi), DIB_RGB_COLORS);
    ReleaseDC(nullptr, hdc);
    EXPECT_EQ(nLines, 2 * n);
    for (int r = 0; r < n; ++r) {
        for (int c = 0; c < n; ++c) {
            ASSERT_EQ(BitAt(bits.data(), nDibStride, r, c), ExpectedAnd(r, c))
                << "AND " << r << "," << c;
            ASSERT_EQ(BitAt(bits.data(), nDibStride, n + r, c), ExpectedXor(r, c))
                << "XOR " << r << "," << c;
        }
    }
    DeleteObject(ii.hbmMask);
    DestroyCursor(hCursor);
}

INSTANTIATE_TEST_SUITE_P(SystemSizes, HandCursorSize, testing::Values(32, 48));

TEST(LinkLabelCursor, OneSharedCursorOfTheSystemSize)
{
    ASSERT_TRUE(CLinkLabel::CreateHandCursor());
    HCURSOR hFirst = g_hHandCursor;
    ASSERT_TRUE(hFirst);
    ASSERT_TRUE(CLinkLabel::CreateHandCursor());
    EXPECT_EQ(g_hHandCursor, hFirst);

    ICONINFO ii = {};
    ASSERT_TRUE(GetIconInfo(g_hHandCursor, &ii));
    BITMAP bm = {};
    GetObjectA(ii.hbmMask, sizeof(bm), &bm);
    EXPECT_EQ(bm.bmWidth, GetSystemMetrics(SM_CXCURSOR));
    EXPECT_EQ(bm.bmHeight, 2 * GetSystemMetrics(SM_CYCURSOR));
    DeleteObject(ii.hbmMask);
}

TEST_F(LabelOnDialog, HandCursorOnlyWhileEnabled)
{
    HCURSOR hArrow = LoadCursorA(nullptr, IDC_ARROW);
    const LPARAM lOver = MAKELPARAM(HTCLIENT, WM_MOUSEMOVE);

    SetCursor(hArrow);
    m_label.SendMessage(WM_SETCURSOR, reinterpret_cast<WPARAM>(m_label.m_hWnd), lOver);
    EXPECT_EQ(GetCursor(), hArrow);

    m_label.EnableHandCursor(TRUE);
    EXPECT_TRUE(m_label.SendMessage(WM_SETCURSOR, reinterpret_cast<WPARAM>(m_label.m_hWnd), lOver));
    EXPECT_EQ(GetCursor(), g_hHandCursor);

    m_label.EnableHandCursor(FALSE);
    SetCursor(hArrow);
    m_label.SendMessage(WM_SETCURSOR, reinterpret_cast<WPARAM>(m_label.m_hWnd), lOver);
    EXPECT_EQ(GetCursor(), hArrow);
}

TEST_F(LabelOnDialog, LongFaceNameMakesAFont)
{
    std::string face(40, 'F');
    if (IsCodePage932()) {
        face.clear();
        for (int i = 0; i < 20; ++i)
            face += "ゴ";
    }
    ASSERT_TRUE(m_label.SetLinkFont(face.c_str(), 90, "下線"));
    LOGFONTA lf = FontOf(m_label);
    EXPECT_EQ(std::string(lf.lfFaceName), face.substr(0, IsCodePage932() ? 30 : 31));
    EXPECT_EQ(lf.lfUnderline, 1);
}

// Fonts cannot be made while the process has used up its GDI handles.
class GdiExhaustion {
public:
    GdiExhaustion()
    {
        for (int i = 0; i < 200000; ++i) {
            HFONT h =
                CreateFontA(-12 - i % 7, 0, 0, 0, 0, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "x");
            if (!h)
                break;
            m_fonts.push_back(h);
        }
    }
    ~GdiExhaustion()
    {
        for (HFONT h : m_fonts)
            DeleteObject(h);
    }
    bool Exhausted() const { return m_fonts.size() < 200000; }

private:
    std::vector<HFONT> m_fonts;
};

TEST_F(LabelOnDialog, FailedSecondFontLeavesTheDialogFontNotADeletedOne)
{
    ASSERT_TRUE(m_label.SetLinkFont("ＭＳ ゴシック", 90, "下線"));
    HFONT hFirst = reinterpret_cast<HFONT>(m_label.SendMessage(WM_GETFONT));
    ASSERT_NE(hFirst, m_hDialogFont);
    ASSERT_EQ(GetObjectType(hFirst), static_cast<DWORD>(OBJ_FONT));

    BOOL bSecond = TRUE;
    {
        GdiExhaustion full;
        ASSERT_TRUE(full.Exhausted());
        bSecond = m_label.SetLinkFont("ＭＳ ゴシック", 120, "太字");
    }
    EXPECT_FALSE(bSecond);
    HFONT hShown = reinterpret_cast<HFONT>(m_label.SendMessage(WM_GETFONT));
    EXPECT_EQ(hShown, m_hDialogFont);
    EXPECT_EQ(GetObjectType(hShown), static_cast<DWORD>(OBJ_FONT));
    // The label's earlier font is gone, not leaked.
    EXPECT_EQ(GetObjectType(hFirst), 0u);

    // A later font is made and shown again.
    ASSERT_TRUE(m_label.SetLinkFont("ＭＳ ゴシック", 90, "下線"));
    EXPECT_EQ(FontOf(m_label).lfUnderline, 1);
}

TEST_F(LabelOnDialog, FailedFirstFontKeepsTheDialogFont)
{
    BOOL bSet = TRUE;
    {
        GdiExhaustion full;
        ASSERT_TRUE(full.Exhausted());
        bSet = m_label.SetLinkFont("ＭＳ ゴシック", 90, "下線");
    }
    EXPECT_FALSE(bSet);
    EXPECT_EQ(reinterpret_cast<HFONT>(m_label.SendMessage(WM_GETFONT)), m_hDialogFont);
}
