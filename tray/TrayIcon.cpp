#include "tray/TrayIcon.h"

#include "framework/Module.h"
#include "framework/MbString.h"
#include "framework/WideText.h"
#include "tray/SubclassTable.h"

#include <cstring>

// The ANSI request of the release target, with the balloon fields.
static_assert(sizeof(void*) != 4 || CTrayIcon::kNotifySize == 488, "notify structure size");

const char kDefaultTip[] = "右クリックでメニュー表示";
const char kBusyTip[] = "コマンド処理中のためメニュー表示できません";

namespace {

constexpr UINT kPopupFlags = TPM_RIGHTBUTTON | TPM_RIGHTALIGN;

LPARAM CursorPosParam()
{
    POINT pt = {};
    GetCursorPos(&pt);
    return MAKELPARAM(pt.x, pt.y);
}

} // namespace

// clang-format off
BEGIN_MESSAGE_MAP(CTrayIcon, CStatic)
    ON_WM_DESTROY()
    ON_REGISTERED_MESSAGE(g_uTaskbarCreatedMsg, OnTaskbarCreated)
END_MESSAGE_MAP()
// clang-format on

CTrayIcon::~CTrayIcon()
{
    // The sub-menu belongs to the loaded menu.
    if (CMenu::m_hMenu) {
        CMenu::Detach();
        m_menu.DestroyMenu();
    }
}

DWORD CTrayIcon::BuildRequest(DWORD dwMessage, NOTIFYICONDATAA* pData) const
{
    ZeroMemory(pData, sizeof(*pData));
    pData->cbSize = kNotifySize;
    pData->hWnd = m_hWnd;
    pData->uID = kIconId;
    pData->uFlags = NIF_MESSAGE | NIF_ICON;
    pData->uCallbackMessage = kCallbackMessage;
    pData->hIcon = m_hNotifyIcon;
    if (!pData->hIcon && AfxGetMainWnd())
        pData->hIcon =
            reinterpret_cast<HICON>(AfxGetMainWnd()->SendMessage(WM_GETICON, ICON_SMALL, 0));

    const char* pszTip = nullptr;
    if (m_bBusy)
        pszTip = kBusyTip;
    else if (!m_strTip.IsEmpty())
        pszTip = m_strTip;
    else if (m_nMenuId != 0)
        pszTip = kDefaultTip;
    if (pszTip) {
        pData->uFlags |= NIF_TIP;
        MbCopyWhole(pData->szTip, kTipBytes, pszTip);
    }

    if (dwMessage == NIM_ADD && m_bInTray)
        return NIM_MODIFY;
    if (dwMessage == NIM_MODIFY && !m_bInTray)
        return NIM_ADD;
    return dwMessage;
}

BOOL CTrayIcon::NotifyShell(DWORD dwMessage)
{
    if (!m_pOwner)
        return FALSE;
    NOTIFYICONDATAA nid;
    DWORD request = BuildRequest(dwMessage, &nid);

    BOOL bResult = FALSE;
    if (HasTaskbar() && (request == NIM_DELETE || !m_bHidden)) {
        ++m_nShellCalls;
        bResult = CallShell(request, &nid);
        --m_nShellCalls;
    }

    if (request == NIM_DELETE)
        m_bInTray = FALSE;
    else
        m_bInTray = bResult;
    return bResult;
}

void CTrayIcon::WidenRequest(const NOTIFYICONDATAA& request, NOTIFYICONDATAW* pWide)
{
    ZeroMemory(pWide, sizeof(*pWide));
    pWide->cbSize = offsetof(NOTIFYICONDATAW, guidItem);
    pWide->hWnd = request.hWnd;
    pWide->uID = request.uID;
    pWide->uFlags = request.uFlags;
    pWide->uCallbackMessage = request.uCallbackMessage;
    pWide->hIcon = request.hIcon;
    // A tip of whole characters in 128 bytes never needs more than 128 units.
    ToWideField(request.szTip, pWide->szTip, ARRAYSIZE(pWide->szTip));
}

BOOL CTrayIcon::CallShell(DWORD dwMessage, NOTIFYICONDATAA* pData)
{
    NOTIFYICONDATAW wide;
    WidenRequest(*pData, &wide);
    return Shell_NotifyIconW(dwMessage, &wide);
}

BOOL CTrayIcon::HasTaskbar() const
{
    return FindWindowA("Shell_TrayWnd", nullptr) != nullptr;
}

BOOL CTrayIcon::ShowIcon(BOOL bShow)
{
    m_bHidden = !bShow;
    return NotifyShell(bShow ? NIM_ADD : NIM_DELETE);
}

BOOL CTrayIcon::SetIcon(HICON hIcon)
{
    m_hNotifyIcon = hIcon;
    return NotifyShell(NIM_MODIFY);
}

void CTrayIcon::UndoMenus()
{
    CMenu::Detach();
    m_menu.DestroyMenu();
    m_pOwner = nullptr;
}

BOOL CTrayIcon::Create(CWnd* pOwner, UINT nMenuId, HICON hIcon, BOOL bShow, UINT nCommandId)
{
    if ((m_hWnd && IsWindow(m_hWnd)) || !pOwner)
        return FALSE;
    m_pOwner = pOwner;
    m_nCommandId = nCommandId;
    m_nMenuId = nMenuId;
    m_hNotifyIcon = hIcon;
    m_bBusy = FALSE;
    m_bInTray = FALSE;

    if (nMenuId != 0) {
        if (!m_menu.LoadMenu(nMenuId)) {
            m_pOwner = nullptr;
            return FALSE;
        }
        if (!CMenu::Attach(m_menu.GetSubMenu(0))) {
            UndoMenus();
            return FALSE;
        }
    }

    const RECT rc = {0, 0, 0, 0};
    if (!CStatic::Create("", SS_USERITEM, rc, pOwner, kIconId)) {
        UndoMenus();
        return FALSE;
    }
    m_strTip = kDefaultTip;
    g_uTaskbarCreatedMsg = RegisterWindowMessageA("TaskbarCreated");
    g_uNotifyTaskbarCreatedMsg = RegisterWindowMessageA("NotifyTaskbarCreated");

    // A window whose registration could not be stored is left alone: the
    // table could not hand its procedure back.
    HWND hOwner = pOwner->m_hWnd;
    auto pfnOld = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(hOwner, GWLP_WNDPROC));
    if (RegisterSubclass(hOwner, m_hWnd, pfnOld))
        SetWindowLongPtrA(hOwner, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SubclassWndProc));

    if (bShow) {
        m_bHidden = FALSE;
        NotifyShell(NIM_ADD);
    }
    return TRUE;
}

void CTrayIcon::PreSubclassWindow()
{
    ::ShowWindow(m_hWnd, SW_HIDE);
    NotifyShell(NIM_ADD);
    CStatic::PreSubclassWindow();
}

void CTrayIcon::Remove()
{
    if (!m_pOwner)
        return;
    NotifyShell(NIM_DELETE);
    SUBCLASS_ENTRY entry = {};
    HWND hOwner = m_pOwner->m_hWnd;
    if (UnregisterSubclass(hOwner, &entry) && entry.pfnOldProc)
        SetWindowLongPtrA(hOwner, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(entry.pfnOldProc));
    m_pOwner = nullptr;
}

void CTrayIcon::OnDestroy()
{
    CStatic::OnDestroy();
    Remove();
}

// Every icon meant to be shown goes back, whatever the last request gave:
// the program may have started before the task bar, or the shell may have
// refused the first add. Only an icon the program hid itself stays out.
LRESULT CTrayIcon::OnTaskbarCreated(WPARAM, LPARAM)
{
    if (m_bHidden || !m_pOwner)
        return 0;
    if (!HasTaskbar()) {
        m_bInTray = FALSE;
        return 0;
    }
    m_bHidden = TRUE;
    NotifyShell(NIM_DELETE);
    m_bHidden = FALSE;
    NotifyShell(NIM_ADD);
    if (m_pOwner)
        m_pOwner->PostMessage(g_uNotifyTaskbarCreatedMsg,
                              static_cast<WPARAM>((m_nCommandId & 0xFFFF) << 16), 0);
    return 0;
}

// One forwarded event: the icon is busy, and its tip says so, until the
// owner has handled it. The owner's window procedure contains its handlers'
// exceptions, so the flags always come down again.
void CTrayIcon::ForwardBusy(UINT message, WPARAM wParam, LPARAM lParam)
{
    m_bBusy = TRUE;
    NotifyShell(NIM_MODIFY);
    if (m_pOwner) {
        m_bOwnerBusy = TRUE;
        m_pOwner->SendMessage(message, wParam, lParam);
        m_bOwnerBusy = FALSE;
    }
    m_bBusy = FALSE;
    NotifyShell(NIM_MODIFY);
}

LRESULT CTrayIcon::ForwardCommand(WPARAM wParam)
{
    ForwardBusy(WM_COMMAND, wParam, 0);
    return 1;
}

LRESULT CTrayIcon::ForwardMouse(UINT uMouseMsg)
{
    const WPARAM high = static_cast<WPARAM>((m_nCommandId & 0xFFFF) << 16);
    WPARAM keys = 0;
    if (uMouseMsg == WM_LBUTTONDOWN || uMouseMsg == WM_LBUTTONDBLCLK)
        keys = MK_LBUTTON;
    else if (uMouseMsg == WM_RBUTTONDOWN || uMouseMsg == WM_RBUTTONDBLCLK)
        keys = MK_RBUTTON;
    const LPARAM pos = CursorPosParam();
    ForwardBusy(uMouseMsg, high | keys, pos);
    return 1;
}

LRESULT CTrayIcon::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND)
        return ForwardCommand(wParam);

    if (message == kCallbackMessage) {
        const UINT uMouseMsg = static_cast<UINT>(lParam);
        if (uMouseMsg < WM_LBUTTONDOWN || uMouseMsg > WM_RBUTTONDBLCLK)
            return CStatic::WindowProc(message, wParam, lParam);
        if (m_bBusy) {
            // The shell delivers its next event while we wait for it to take
            // the busy tip; that event is no re-entry into the owner, so it
            // is handled once the current one is through instead of lost.
            if (m_nShellCalls > 0 && !m_bOwnerBusy)
                PostMessage(message, wParam, lParam);
            return 1;
        }
        if (uMouseMsg == WM_RBUTTONUP && m_nMenuId != 0) {
            if (!m_pOwner)
                return 1;
            m_pOwner->SendMessage(WM_COMMAND, m_nCommandId, 0);
            POINT pt = {};
            GetCursorPos(&pt);
            // The owner must be foreground or the menu will not close when
            // the user clicks elsewhere.
            if (m_pOwner)
                m_pOwner->SetForegroundWindow();
            // TrackPopupMenu runs a nested loop; the command it picks comes
            // back to this window as WM_COMMAND afterwards.
            CMenu::TrackPopupMenu(kPopupFlags, pt.x, pt.y, m_hWnd);
            if (m_hWnd)
                PostMessage(WM_NULL, 0, 0);
            return 1;
        }
        return ForwardMouse(uMouseMsg);
    }
    return CStatic::WindowProc(message, wParam, lParam);
}
