#include <gtest/gtest.h>

#include "TestSupport.h"

#include "app/AboutDlg.h"
#include "app/WebPages.h"
#include "res/resource.h"
#include "version.h"

#include <string>
#include <vector>

namespace {

std::vector<HWND> ChildrenOf(HWND hDlg)
{
    std::vector<HWND> v;
    for (HWND h = GetWindow(hDlg, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT))
        v.push_back(h);
    return v;
}

// Runs the box modally and clicks its label as soon as it is up; a timer
// closes it with Cancel should the click never arrive.
class ClickedAboutDlg : public CAboutDlg {
public:
    BOOL OnInitDialog() override
    {
        BOOL b = CAboutDlg::OnInitDialog();
        HWND hLabel = GetDlgItem(IDC_LINK);
        PostMessage(WM_COMMAND, MAKEWPARAM(IDC_LINK, STN_CLICKED),
                    reinterpret_cast<LPARAM>(hLabel));
        ::SetTimer(m_hWnd, 1, 10000, [](HWND h, UINT, UINT_PTR, DWORD) {
            ::KillTimer(h, 1);
            ::PostMessageA(h, WM_COMMAND, IDCANCEL, 0);
        });
        return b;
    }
};

} // namespace

TEST(AboutDlg, TemplateTextsAndControls)
{
    if (!IsCodePage932())
        GTEST_SKIP() << "the texts are Shift-JIS only in the Japanese ANSI code page";
    CAboutDlg dlg;
    ASSERT_TRUE(dlg.Create(IDD_ABOUTBOX));
    EXPECT_EQ(WindowText(dlg), "Qf検索ヘルパーのﾊﾞｰｼﾞｮﾝ情報");

    std::vector<HWND> v = ChildrenOf(dlg);
    ASSERT_EQ(v.size(), 7u);
    EXPECT_TRUE(GetWindowLongPtrA(v[0], GWL_STYLE) & SS_ICON);
    EXPECT_TRUE(SendMessageA(v[0], STM_GETICON, 0, 0));
    EXPECT_EQ(WindowText(v[1]), std::string("Qf検索ヘルパー Version ") + QF_VERSION_SHORT);
    EXPECT_EQ(WindowText(v[2]), "Copyright (C) 2026 VORNELIX");
    EXPECT_EQ(GetDlgCtrlID(v[3]), IDOK);
    EXPECT_EQ(WindowText(v[3]), "OK");
    EXPECT_EQ(WindowText(v[4]), "楽しいソフトや便利なソフトがいっぱい");
    EXPECT_EQ(GetDlgCtrlID(v[5]), IDC_LINK);
    EXPECT_EQ(WindowText(v[5]), "VORNELIXホームページへGO!");
    EXPECT_TRUE(GetWindowLongPtrA(v[5], GWL_STYLE) & SS_NOTIFY);
    EXPECT_EQ(WindowText(v[6]), "【使用上の注意】\n"
                                "\n"
                                "本ソフトウェアはZumtal!JAPANが提供するものではなく、\n"
                                "本ソフトウェアの動作不良はZumtal!JAPANには一切の\n"
                                "責任は御座いません。\n"
                                "\n"
                                "お問い合わせ等はソフトウェア開発元のVORNELIX宛てにお送り下さい。");
    dlg.DestroyWindow();
}

TEST(AboutDlg, LabelIsBlueUnderlinedTransparentWithTheHand)
{
    HFONT hLabelFont = nullptr;
    {
        CAboutDlg dlg;
        ASSERT_TRUE(dlg.Create(IDD_ABOUTBOX));
        HWND hLabel = dlg.GetDlgItem(IDC_LINK);
        ASSERT_TRUE(hLabel);
        EXPECT_TRUE(CWnd::FromHandlePermanent(hLabel));

        HDC hdc = GetDC(hLabel);
        LRESULT r = dlg.SendMessage(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(hdc),
                                    reinterpret_cast<LPARAM>(hLabel));
        EXPECT_EQ(reinterpret_cast<HGDIOBJ>(r), GetStockObject(NULL_BRUSH));
        EXPECT_EQ(GetTextColor(hdc), RGB(0, 0, 255));
        EXPECT_EQ(GetBkMode(hdc), TRANSPARENT);
        // The other texts keep the dialog's own colours.
        HWND hNotice = dlg.GetDlgItem(IDOK);
        for (HWND h = GetWindow(dlg, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) {
            if (h != hLabel && GetDlgCtrlID(h) != IDOK) {
                hNotice = h;
                break;
            }
        }
        r = dlg.SendMessage(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(hdc),
                            reinterpret_cast<LPARAM>(hNotice));
        EXPECT_NE(reinterpret_cast<HGDIOBJ>(r), GetStockObject(NULL_BRUSH));
        ReleaseDC(hLabel, hdc);

        hLabelFont = reinterpret_cast<HFONT>(SendMessageA(hLabel, WM_GETFONT, 0, 0));
        ASSERT_TRUE(hLabelFont);
        EXPECT_NE(hLabelFont, reinterpret_cast<HFONT>(dlg.SendMessage(WM_GETFONT)));
        const LOGFONTA lf = FontInfo(hLabelFont);
        EXPECT_EQ(lf.lfUnderline, 1);
        EXPECT_EQ(lf.lfItalic, 0);
        EXPECT_EQ(lf.lfStrikeOut, 0);
        EXPECT_NE(lf.lfWeight, FW_BOLD);
        EXPECT_STREQ(lf.lfFaceName, "ＭＳ ゴシック");
        if (ScreenDpi() == 96) {
            EXPECT_EQ(lf.lfHeight, -12);
        }

        HCURSOR hArrow = LoadCursorA(nullptr, IDC_ARROW);
        const LPARAM lOver = MAKELPARAM(HTCLIENT, WM_MOUSEMOVE);
        SetCursor(hArrow);
        EXPECT_TRUE(SendMessageA(hLabel, WM_SETCURSOR, reinterpret_cast<WPARAM>(hLabel), lOver));
        EXPECT_TRUE(g_hHandCursor);
        EXPECT_EQ(GetCursor(), g_hHandCursor);
        // Elsewhere in the box the pointer is the usual arrow.
        dlg.SendMessage(WM_SETCURSOR, reinterpret_cast<WPARAM>(dlg.m_hWnd), lOver);
        EXPECT_EQ(GetCursor(), hArrow);
        dlg.DestroyWindow();
    }
    // The label's font went with the box.
    EXPECT_EQ(GetObjectType(hLabelFont), 0u);
}

TEST(AboutDlg, ClickOnTheLabelOpensTheMakersPageAndCloses)
{
    CRecordedPages pages;
    ClickedAboutDlg dlg;
    EXPECT_EQ(dlg.DoModal(), 1);
    EXPECT_FALSE(dlg.m_hWnd);
    EXPECT_EQ(pages.Pages(), std::vector<std::string>{kMakerPage});
}

TEST(AboutDlg, ClickClosesEvenWithoutABrowser)
{
    // What the shell does on a machine without a browser: nothing.
    const WebPageOpener pfnPrevious = SetWebPageOpener([](const char*) {});
    ClickedAboutDlg dlg;
    EXPECT_EQ(dlg.DoModal(), 1);
    SetWebPageOpener(pfnPrevious);
}
