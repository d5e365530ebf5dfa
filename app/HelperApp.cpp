#include "app/HelperApp.h"

#include "app/MainDlg.h"
#include "app/RemovalSwitch.h"
#include "res/resource.h"

// clang-format off
BEGIN_MESSAGE_MAP(CHelperApp, CWinApp)
    ON_COMMAND(ID_HELP, OnHelp)
END_MESSAGE_MAP()
// clang-format on

BOOL CHelperApp::InitInstance()
{
    if (HasRemovalSwitch()) {
        RunRemoval();
        return FALSE;
    }

    CHelperMainDlg dlg;
    // The tray icon asks the main window for its small icon while the window
    // is being created, so it must be the main window before it exists.
    m_pMainWnd = &dlg;
    dlg.Create(IDD_MAIN);
    if (dlg.m_hWnd) {
        dlg.RunModalLoop(0);
        dlg.DestroyWindow();
    }
    m_pMainWnd = nullptr;
    return FALSE;
}
