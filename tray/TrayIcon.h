#pragma once
// The notification-area icon. It is tied to an invisible child window of its
// owner; mouse events and menu commands arrive there and are forwarded to the
// owner one at a time, while the icon is busy and ignores further clicks.
#include "framework/Controls.h"
#include "framework/Menu.h"

#include <shellapi.h>

class CTrayIcon : public CStatic, public CMenu {
public:
    static constexpr UINT kIconId = 1102;
    static constexpr UINT kCallbackMessage = WM_APP;
    // Requests are built as the ANSI structure with the 128-byte tip and the
    // balloon fields, sized by field offset so both targets agree on it; the
    // shell is handed them widened.
    static constexpr DWORD kNotifySize = offsetof(NOTIFYICONDATAA, guidItem);
    static constexpr int kTipBytes = 128;

    CTrayIcon() = default;
    ~CTrayIcon() override;

    BOOL Create(CWnd* pOwner, UINT nMenuId, HICON hIcon, BOOL bShow, UINT nCommandId);
    BOOL SetIcon(HICON hIcon);
    BOOL ShowIcon(BOOL bShow);
    void Remove();
    // The one place that talks to the shell: NIM_ADD, NIM_MODIFY or NIM_DELETE.
    BOOL NotifyShell(DWORD dwMessage);

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void PreSubclassWindow() override;

    BOOL IsBusy() const { return m_bBusy; }
    BOOL IsInTray() const { return m_bInTray; }

    // The request and structure NotifyShell would hand to the shell now,
    // without changing any state.
    DWORD BuildRequest(DWORD dwMessage, NOTIFYICONDATAA* pData) const;
    // The request as the shell is handed it: in UTF-16, the tip converted
    // from code page 932, since the shell's ANSI entry would read the tip
    // with the process's code page.
    static void WidenRequest(const NOTIFYICONDATAA& request, NOTIFYICONDATAW* pWide);

protected:
    DECLARE_MESSAGE_MAP()
    void OnDestroy();
    LRESULT OnTaskbarCreated(WPARAM wParam, LPARAM lParam);

    // Where requests go; the shell itself unless a test watches them.
    virtual BOOL CallShell(DWORD dwMessage, NOTIFYICONDATAA* pData);
    virtual BOOL HasTaskbar() const;

private:
    LRESULT ForwardMouse(UINT uMouseMsg);
    LRESULT ForwardCommand(WPARAM wParam);
    void UndoMenus();
    void ForwardBusy(UINT message, WPARAM wParam, LPARAM lParam);

    CWnd* m_pOwner = nullptr;
    UINT m_nCommandId = 0;
    UINT m_nMenuId = 0;
    HICON m_hNotifyIcon = nullptr;
    BOOL m_bBusy = FALSE;
    BOOL m_bInTray = FALSE;
    BOOL m_bHidden = TRUE;
    CString m_strTip;
    CMenu m_menu;
    int m_nShellCalls = 0;     // requests under way to the shell
    BOOL m_bOwnerBusy = FALSE; // the owner is handling a forwarded event
};

extern const char kDefaultTip[];
extern const char kBusyTip[];
