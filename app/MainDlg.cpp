#include "app/MainDlg.h"

#include "app/AboutDlg.h"
#include "app/Hotkey.h"
#include "app/WebPages.h"

#include "framework/Module.h"
#include "framework/Gdi.h"
#include "framework/Shell.h"
#include "res/resource.h"

namespace {
const int kHotkeyId = 1;
} // namespace

// clang-format off
BEGIN_MESSAGE_MAP(CHelperMainDlg, CDialog)
    ON_WM_SYSCOMMAND()
    ON_WM_PAINT()
    ON_WM_QUERYDRAGICON()
    ON_WM_ENDSESSION()
    ON_COMMAND(ID_SEARCH, OnSearch)
    ON_COMMAND(ID_OPEN_PORTAL, OnOpenPortal)
    ON_COMMAND(ID_OPEN_MAKER, OnOpenMakerPage)
    ON_COMMAND(ID_APP_ABOUT_TRAY, OnAbout)
    ON_COMMAND(ID_APP_EXIT_TRAY, OnExit)
    ON_WM_LBUTTONDBLCLK()
    ON_WM_HOTKEY()
END_MESSAGE_MAP()
// clang-format on

CHelperMainDlg::CHelperMainDlg(CWnd* pParent) : CDialog(IDD_MAIN, pParent)
{
    // At the system's large-icon size, which the display scale sets.
    m_hIcon = LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME));
}

CHelperMainDlg::~CHelperMainDlg() = default;

BOOL CHelperMainDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    AddAboutToSystemMenu();

    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(AfxLoadSmallIcon(IDR_MAINFRAME)));

    m_hTrayIcon = AfxLoadSmallIcon(IDI_TRAY);
    m_trayIcon.Create(this, IDR_TRAYMENU, nullptr, TRUE, 0);
    m_trayIcon.SetIcon(m_hTrayIcon);
    m_trayIcon.ShowIcon(TRUE);
    // A combination that is taken leaves the program without one, as its
    // other platform failures do.
    m_bHotkey = RegisterStoredHotkey(m_hWnd, kHotkeyId);

    // Hidden until asked for; the program runs on without it if it fails.
    m_wndSearch.Create(IDD_SEARCH, this);
    return TRUE;
}

void CHelperMainDlg::AddAboutToSystemMenu()
{
    HMENU hSysMenu = GetSystemMenu(m_hWnd, FALSE);
    if (!hSysMenu)
        return;
    char text[256] = {};
    if (LoadStringA(AfxGetResourceHandle(), IDS_ABOUTBOX, text, sizeof(text)) > 0) {
        AppendMenuA(hSysMenu, MF_SEPARATOR, 0, nullptr);
        AppendMenuA(hSysMenu, MF_STRING, IDM_ABOUTBOX, text);
    }
}

BOOL CHelperMainDlg::DestroyWindow()
{
    // Hidden first, so its destruction saves no position.
    if (m_wndSearch.m_hWnd) {
        m_wndSearch.ShowWindow(SW_HIDE);
        m_wndSearch.DestroyWindow();
    }
    if (m_bHotkey)
        UnregisterHotKey(m_hWnd, kHotkeyId);
    m_bHotkey = false;
    m_trayIcon.ShowIcon(FALSE);
    m_trayIcon.Remove();
    return CDialog::DestroyWindow();
}

void CHelperMainDlg::OnSysCommand(UINT nID, LPARAM)
{
    if ((nID & 0xFFF0) == IDM_ABOUTBOX)
        OnAbout();
    else
        Default();
}

void CHelperMainDlg::OnPaint()
{
    if (!IsIconic()) {
        Default();
        return;
    }
    CPaintDC dc(m_hWnd);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.m_hDC), 0);
    const int cxIcon = GetSystemMetrics(SM_CXICON);
    const int cyIcon = GetSystemMetrics(SM_CYICON);
    RECT rc;
    GetClientRect(m_hWnd, &rc);
    dc.DrawIcon((rc.right - rc.left - cxIcon + 1) / 2, (rc.bottom - rc.top - cyIcon + 1) / 2,
                m_hIcon);
}

HCURSOR CHelperMainDlg::OnQueryDragIcon()
{
    return static_cast<HCURSOR>(m_hIcon);
}

void CHelperMainDlg::OnEndSession(BOOL bEnding)
{
    if (bEnding)
        EndDialog(IDOK);
}

void CHelperMainDlg::OnExit()
{
    EndDialog(IDOK);
}

void CHelperMainDlg::OnSearch()
{
    if (!m_wndSearch.m_hWnd)
        return;
    m_wndSearch.ShowWindow(m_wndSearch.IsIconic() ? SW_SHOWNORMAL : SW_SHOW);
    m_wndSearch.SetForegroundWindow();
    // Posted, so the paste runs after the show and the change of foreground.
    m_wndSearch.PostMessage(WM_COMMAND, IDC_PASTE, 0);
}

void CHelperMainDlg::OnOpenPortal()
{
    OpenWebPage(kPortalTopPage);
}

void CHelperMainDlg::OnOpenMakerPage()
{
    OpenWebPage(kMakerPage);
}

void CHelperMainDlg::OnAbout()
{
    CAboutDlg dlg;
    dlg.DoModal();
}

void CHelperMainDlg::OnLButtonDblClk(UINT, POINT)
{
    PostMessage(WM_COMMAND, ID_SEARCH, 0);
    Default();
}

// Exactly what a double-click on the icon does, the icon's busy state included:
// while the version box is open, nothing. An open tray menu is closed first:
// the window and the menu are never up together.
void CHelperMainDlg::OnHotKey(UINT, UINT, UINT)
{
    EndMenu();
    m_trayIcon.SendMessage(CTrayIcon::kCallbackMessage, CTrayIcon::kIconId, WM_LBUTTONDBLCLK);
}
