#include <gtest/gtest.h>

#include "TestSupport.h"

#include "app/HelperApp.h"
#include "app/MainDlg.h"
#include "res/resource.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

SIZE IconSize(HICON hIcon)
{
    ICONINFO info = {};
    BITMAP bm = {};
    if (!hIcon || !GetIconInfo(hIcon, &info))
        return {0, 0};
    GetObjectA(info.hbmMask, sizeof(bm), &bm); // an icon without colour has both masks
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return {bm.bmWidth, info.hbmColor ? bm.bmHeight : bm.bmHeight / 2};
}

HICON WindowIcon(HWND hWnd, WPARAM nWhich)
{
    return reinterpret_cast<HICON>(SendMessageA(hWnd, WM_GETICON, nWhich, 0));
}

// The real main window's icons, the search window's and the one its tray
// icon hands to the shell, that are not of the given small or large size,
// each named on stderr.
int IconsOffSize(int nSmall, int nLarge)
{
    CWinApp app;
    CHelperMainDlg dlg;
    app.m_pMainWnd = &dlg;
    if (!dlg.Create(IDD_MAIN))
        return -1;
    NOTIFYICONDATAA nid = {};
    if (auto* pTray = dynamic_cast<CTrayIcon*>(
            CWnd::FromHandlePermanent(GetDlgItem(dlg.m_hWnd, CTrayIcon::kIconId))))
        pTray->BuildRequest(NIM_MODIFY, &nid);
    HWND hSearch = nullptr;
    while ((hSearch = FindWindowExA(nullptr, hSearch, "#32770", nullptr)) &&
           GetWindow(hSearch, GW_OWNER) != dlg.m_hWnd) {
    }
    const struct {
        const char* pszName;
        HICON hIcon;
        int nSize;
    } icons[] = {{"tray", nid.hIcon, nSmall},
                 {"main window's small", WindowIcon(dlg.m_hWnd, ICON_SMALL), nSmall},
                 {"main window's large", WindowIcon(dlg.m_hWnd, ICON_BIG), nLarge},
                 {"search window's small", WindowIcon(hSearch, ICON_SMALL), nSmall}};
    int nOff = 0;
    for (const auto& icon : icons) {
        const SIZE size = IconSize(icon.hIcon);
        if (size.cx != icon.nSize || size.cy != icon.nSize)
            nOff += std::fprintf(stderr, "%s icon %ldx%ld, not %d\n", icon.pszName, size.cx,
                                 size.cy, icon.nSize) > 0;
    }
    dlg.DestroyWindow();
    app.m_pMainWnd = nullptr;
    return nOff;
}

} // namespace

TEST(Application, StartUpWithoutItsMainWindowTemplateReturnsAtOnce)
{
    // A module without the program's resources: the main window cannot be
    // made, and start-up must not sit in a loop with no window to serve.
    CHelperApp app;
    AfxSetResourceHandle(GetModuleHandleA("kernel32.dll"));
    const DWORD t0 = GetTickCount();
    EXPECT_FALSE(app.InitInstance());
    EXPECT_LT(GetTickCount() - t0, 3000u);
    EXPECT_EQ(app.m_pMainWnd, nullptr);
    AfxSetResourceHandle(GetModuleHandleA(nullptr));
}

TEST(MainWindow, IconsAtTheSystemsSizes)
{
    EXPECT_EQ(0, IconsOffSize(GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CXICON)));
}

// A row a display scale. The scale is the prefix's LogPixels, which a program
// reads as it starts, so each row runs in a process of its own; and only in
// the ctest entry that runs alone, or programs started meanwhile would take
// the scale too.
TEST(MainWindow, IconsAtEveryDisplayScale)
{
    if (!std::getenv("QF_DISPLAY_SCALES"))
        GTEST_SKIP() << "changes the display scale: run alone, as unit_app_display_scales";
    const char* const kDesktop = "Control Panel\\Desktop";
    std::string strOld;
    DWORD dwOldType = 0;
    const bool bOld = RawGetValue(HKEY_CURRENT_USER, kDesktop, "LogPixels", &strOld, &dwOldType);
    const struct {
        DWORD dwDpi;
        int nSmall, nLarge;
    } scales[] = {{96, 16, 32}, {120, 20, 40}, {144, 24, 48}, {192, 32, 64}};
    for (const auto& s : scales) {
        RawSetValue(HKEY_CURRENT_USER, kDesktop, "LogPixels", REG_DWORD, &s.dwDpi, sizeof(DWORD));
        EXPECT_EXIT(std::exit(IconsOffSize(s.nSmall, s.nLarge)), testing::ExitedWithCode(0), "")
            << s.dwDpi << " dpi";
    }
    if (bOld)
        RawSetValue(HKEY_CURRENT_USER, kDesktop, "LogPixels", dwOldType, strOld.data(),
                    static_cast<DWORD>(strOld.size()));
    else
        RegDeleteKeyValueA(HKEY_CURRENT_USER, kDesktop, "LogPixels");
}
