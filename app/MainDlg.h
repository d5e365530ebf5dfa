#pragma once
// The hidden main window "__@Qf@__": owns the tray icon and the search window
// and carries out the tray menu's commands. It is never shown.
#include "framework/Dialog.h"
#include "search/SearchDlg.h"
#include "tray/TrayIcon.h"

class CHelperMainDlg : public CDialog {
public:
    explicit CHelperMainDlg(CWnd* pParent = nullptr);
    ~CHelperMainDlg() override;

    BOOL DestroyWindow() override;
    BOOL OnInitDialog() override;

protected:
    DECLARE_MESSAGE_MAP()
    void OnSysCommand(UINT nID, LPARAM lParam);
    void OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnEndSession(BOOL bEnding);
    void OnSearch();
    void OnOpenPortal();
    void OnOpenMakerPage();
    void OnAbout();
    void OnExit();
    void OnLButtonDblClk(UINT nFlags, POINT point);
    void OnHotKey(UINT nHotKeyId, UINT nModifiers, UINT nKey);

private:
    void AddAboutToSystemMenu();

    // First member, so it is destroyed last.
    CSearchDlg m_wndSearch;
    CTrayIcon m_trayIcon;
    HICON m_hTrayIcon = nullptr; // shared image: never destroyed
    HICON m_hIcon = nullptr;     // resource icon: lives with the module
    bool m_bHotkey = false;      // the stored combination is registered
};
