#include <gtest/gtest.h>

#include "TestSupport.h"

#include "framework/Controls.h"
#include "framework/Dialog.h"
#include "framework/Gdi.h"
#include "framework/MbString.h"
#include "res/resource.h"

#include <cstdlib>
#include <stdexcept>
#include <vector>

namespace {

// ---- message maps -----------------------------------------------------

UINT g_registered = 0;

class CBaseWnd : public CWnd {
public:
    std::vector<const char*> log;
    void OnBaseCommand() { log.push_back("base"); }
    void OnShadowed() { log.push_back("base-shadowed"); }
    BOOL Make()
    {
        const RECT rc = {0, 0, 50, 50};
        return CreateEx(0, "STATIC", "", WS_POPUP, rc, nullptr, 0);
    }

protected:
    DECLARE_MESSAGE_MAP()
};

// clang-format off
BEGIN_MESSAGE_MAP(CBaseWnd, CWnd)
    ON_COMMAND(100, OnBaseCommand)
    ON_COMMAND(101, OnShadowed)
END_MESSAGE_MAP()
// clang-format on

class CDerivedWnd : public CBaseWnd {
public:
    void OnShadowed() { log.push_back("derived"); }
    void OnSelChange() { log.push_back("selchange"); }
    LRESULT OnRegistered(WPARAM w, LPARAM l) { return static_cast<LRESULT>(w + l); }
    void OnMove(int x, int y)
    {
        moved = {x, y};
        Default();
    }
    void OnThrow() { throw std::runtime_error("handler failed"); }
    POINT moved = {-1, -1};

protected:
    DECLARE_MESSAGE_MAP()
};

// clang-format off
BEGIN_MESSAGE_MAP(CDerivedWnd, CBaseWnd)
    ON_COMMAND(101, OnShadowed)
    ON_CBN_SELCHANGE(101, OnSelChange)
    ON_COMMAND(102, OnThrow)
    ON_REGISTERED_MESSAGE(g_registered, OnRegistered)
    ON_WM_MOVE()
END_MESSAGE_MAP()
// clang-format on

TEST(MessageMap, DispatchesByIdAndCodeAndChainsToTheBaseMap)
{
    g_registered = RegisterWindowMessageA("QfFrameworkTest");
    CDerivedWnd w;
    ASSERT_TRUE(w.Make());
    w.SendMessage(WM_COMMAND, 100);
    w.SendMessage(WM_COMMAND, 101);
    w.SendMessage(WM_COMMAND, MAKEWPARAM(101, CBN_SELCHANGE));
    w.SendMessage(WM_COMMAND, MAKEWPARAM(100, CBN_SELCHANGE)); // no entry: nothing
    EXPECT_EQ(w.log, (std::vector<const char*>{"base", "derived", "selchange"}));
    EXPECT_EQ(w.SendMessage(g_registered, 40, 2), 42);

    w.SetWindowPos(nullptr, 17, 23, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(w.moved.x, 17);
    EXPECT_EQ(w.moved.y, 23);

    // A throwing handler is contained at the window procedure.
    EXPECT_EQ(w.SendMessage(WM_COMMAND, 102), 0);
    w.SendMessage(WM_COMMAND, 100);
    EXPECT_EQ(w.log.size(), 4u);

    HWND h = w.m_hWnd;
    EXPECT_EQ(CWnd::FromHandlePermanent(h), &w);
    w.DestroyWindow();
    EXPECT_EQ(w.m_hWnd, nullptr);
    EXPECT_EQ(CWnd::FromHandlePermanent(h), nullptr);
}

TEST(MessageMap, ObjectGoingAwayTakesItsWindowAlong)
{
    HWND h;
    {
        CBaseWnd w;
        ASSERT_TRUE(w.Make());
        h = w.m_hWnd;
    }
    EXPECT_FALSE(IsWindow(h));
}

// ---- dialogs and data exchange --------------------------------------------

class CModeDlg : public CDialog {
public:
    CModeDlg() : CDialog(IDD_SEARCH) {}
    int m_nMode = -1;
    CString m_strQuery;
    CComboBox m_query;
    void DoDataExchange(CDataExchange* pDX) override
    {
        DDX_Control(pDX, IDC_QUERY, m_query);
        DDX_CBIndex(pDX, IDC_MODE, m_nMode);
        DDX_CBString(pDX, IDC_QUERY, m_strQuery);
    }
};

TEST(Dialog, TemplateDataFillsTheModeBoxAndDataExchangeGoesBothWays)
{
    CModeDlg dlg;
    ASSERT_TRUE(dlg.Create(IDD_SEARCH));
    HWND mode = dlg.GetDlgItem(IDC_MODE);
    ASSERT_EQ(SendMessageA(mode, CB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(ComboItemText(mode, 2), "ｴｷｽﾊﾟｰﾄ");
    EXPECT_EQ(CWnd::FromHandlePermanent(dlg.GetDlgItem(IDC_QUERY)), &dlg.m_query);

    dlg.m_nMode = 1;
    dlg.m_query.AddString("alpha");
    dlg.m_query.AddString("Beta two");
    dlg.m_strQuery = "beta"; // a list entry begins with it: that entry is shown
    dlg.UpdateData(FALSE);
    EXPECT_EQ(SendMessageA(mode, CB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(WindowText(dlg.m_query.m_hWnd), "Beta two");

    dlg.m_strQuery = "gamma"; // none does: the text is set as it is
    dlg.UpdateData(FALSE);
    EXPECT_EQ(WindowText(dlg.m_query.m_hWnd), "gamma");

    SendMessageA(mode, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    dlg.UpdateData(TRUE);
    EXPECT_EQ(dlg.m_nMode, -1);
    EXPECT_EQ(dlg.m_strQuery, CString("gamma"));

    // OK and Cancel hide the modeless window; it lives on.
    dlg.ShowWindow(SW_SHOW);
    dlg.SendMessage(WM_COMMAND, IDCANCEL);
    EXPECT_FALSE(dlg.IsWindowVisible());
    EXPECT_TRUE(IsWindow(dlg.m_hWnd));
    dlg.DestroyWindow();
}

class CTimedModal : public CDialog {
public:
    CTimedModal() : CDialog(IDD_ABOUTBOX) {}
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        PostMessage(WM_COMMAND, IDOK);
        return TRUE;
    }
};

TEST(Dialog, DoModalRunsUntilTheDialogEndsAndDestroysIt)
{
    CTimedModal dlg;
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.m_hWnd, nullptr);
}

TEST(Dialog, AMissingTemplateFailsCleanly)
{
    CDialog dlg(4711);
    EXPECT_FALSE(dlg.Create(4711));
    EXPECT_EQ(dlg.DoModal(), -1);
}

// ---- strings ------------------------------------------------------------------

TEST(String, TrimAndUpperStepOverDoubleByteCharacters)
{
    CString s(" \t 検索\r\n ");
    s.Trim();
    EXPECT_EQ(s, CString("検索"));

    CString ideographic("\x81\x40x\x81\x40"); // an ideographic space is no blank
    ideographic.Trim();
    EXPECT_EQ(ideographic.GetLength(), 5);

    CString upper("abcソz"); // ソ is 0x83 0x5C: its trail byte is no backslash or letter
    upper.MakeUpper();
    EXPECT_EQ(upper, CString("ABCソZ"));
    CString lowerTrail("\x83"
                       "a"); // a trail byte in the letter range stays as it is
    lowerTrail.MakeUpper();
    EXPECT_EQ(lowerTrail, CString(IsCodePage932() ? "\x83"
                                                    "a"
                                                  : "\x83"
                                                    "A"));

    CString f;
    f.Format("text%02X", 10);
    EXPECT_EQ(f, CString("text0A"));
    CString r("SEARCH_TEXT&SEARCH_TEXT");
    EXPECT_EQ(r.Replace("SEARCH_TEXT", "SEARCH_TEXT!"), 2);
    EXPECT_EQ(r, CString("SEARCH_TEXT!&SEARCH_TEXT!"));
}

TEST(String, BufferPairTakesTheLengthFromTheFirstZero)
{
    CString s("old");
    char* p = s.GetBuffer(10);
    lstrcpyA(p, "new text");
    s.ReleaseBuffer();
    EXPECT_EQ(s, CString("new text"));
    s.GetBufferSetLength(3);
    s.ReleaseBuffer(99); // clamped to the buffer
    EXPECT_EQ(s.GetLength(), 3);
}

TEST(MbString, SearchAndComparisonRespectCharacterBoundaries)
{
    // The run with the user's locale other than the system's must have one.
    if (std::getenv("QF_OTHER_USER_LOCALE"))
        ASSERT_NE(GetUserDefaultLCID(), GetSystemDefaultLCID());
    if (IsCodePage932()) {
        // "ア" 0x83 0x41 followed by "A": a match must not start on the trail byte.
        EXPECT_EQ(MbFind("\x83\x41\x42", "AB"), -1);
        EXPECT_EQ(MbFind("\x83\x41\x41\x42", "AB"), 2);
        EXPECT_TRUE(MbEqualNoCase("ａｂc", "ＡＢC"));        // full-width letters fold
        EXPECT_FALSE(MbEqualNoCase("\x83\x61", "\x83\x41")); // trail bytes never fold
    } else {
        EXPECT_EQ(MbFind("\x83\x41\x42", "AB"), 1);
        EXPECT_TRUE(MbEqualNoCase("\x83\x61", "\x83\x41"));
    }
    EXPECT_TRUE(MbEqualNoCase("Software", "SOFTWARE"));
    EXPECT_FALSE(MbEqualNoCase("Software", "Softwares"));
    EXPECT_TRUE(MbEqualNoCaseN("hkey_users", "HKEY_USERSX", 10));
    EXPECT_FALSE(MbEqualNoCaseN("HKEY_USER", "HKEY_USERS", 10));
}

TEST(MbString, WholeCharactersAreCopiedOrLeftOut)
{
    const std::string x126(126, 'x');
    const struct {
        std::string src;
        int nSize;
        std::string cp932, cp1252; // what is copied under each code page
    } cases[] = {
        // A double-byte character that would end at byte 128 of a tooltip.
        {x126 + "検索", 128, x126, x126 + "\x8C"},
        {std::string(300, 'y'), 128, std::string(127, 'y'), std::string(127, 'y')},
        {"ab検", 4, "ab", "ab\x8C"},
        {"ab\x81", 8, "ab", "ab\x81"}, // a lead byte without its trail byte
        {"ab", 1, "", ""},
    };
    for (const auto& c : cases) {
        char buffer[300] = {'?'};
        const std::string& want = IsCodePage932() ? c.cp932 : c.cp1252;
        EXPECT_EQ(MbCopyWhole(buffer, c.nSize, c.src.c_str()), static_cast<int>(want.size()));
        EXPECT_EQ(std::string(buffer), want) << c.src;
    }
}

TEST(MbString, TheThreeLeadByteTestsDifferOnlyWhereTheyMeanTo)
{
    // byte, code page 932, search address, key path; 0xA0 is half-width in 932.
    const struct {
        unsigned char b;
        bool bCodePage, bAddress, bKeyPath;
    } cases[] = {
        {0x7F, false, false, false}, {0x80, false, true, true},  {0x81, true, true, true},
        {0x9F, true, true, true},    {0xA0, false, false, true}, {0xA1, false, false, false},
        {0xDF, false, false, false}, {0xE0, true, true, true},   {0xFC, true, true, true},
        {0xFD, false, true, true},   {0xFF, false, true, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(MbIsLeadByte(c.b), IsCodePage932() && c.bCodePage) << int(c.b);
        EXPECT_EQ(MbIsAddressLeadByte(c.b), c.bAddress) << int(c.b);
        EXPECT_EQ(MbIsKeyPathLeadByte(c.b), c.bKeyPath) << int(c.b);
    }
}

TEST(Font, PointSizeTurnsIntoPixelsOfTheScreen)
{
    LOGFONTA lf = {};
    lf.lfHeight = 90;
    lstrcpyA(lf.lfFaceName, "Arial");
    CFont font;
    ASSERT_TRUE(font.CreatePointFontIndirect(&lf));
    LOGFONTA got = {};
    GetObjectA(font, sizeof(got), &got);
    EXPECT_EQ(got.lfHeight, -(90 * ScreenDpi() / 720));
    EXPECT_FALSE(font.CreatePointFontIndirect(&lf)); // one font per object

    // GDI gets a Japanese face name whole, whatever the process's code page.
    lstrcpyA(lf.lfFaceName, "ＭＳ ゴシック");
    CFont japanese;
    ASSERT_TRUE(japanese.CreatePointFontIndirect(&lf));
    LOGFONTW gotWide = {};
    GetObjectW(japanese, sizeof(gotWide), &gotWide);
    EXPECT_EQ(std::wstring(gotWide.lfFaceName), L"\xFF2D\xFF33 \x30B4\x30B7\x30C3\x30AF");
}

} // namespace
