#include "framework/Wnd.h"

#include "framework/Gdi.h"
#include "framework/Module.h"

#include <map>

namespace {

std::map<HWND, CWnd*>& HandleMap()
{
    static std::map<HWND, CWnd*> s_map;
    return s_map;
}

bool IsCtlColorMessage(UINT message)
{
    return message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC;
}

} // namespace

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap()
{
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, nullptr, nullptr}};
    static const AFX_MSGMAP map = {nullptr, entries};
    return &map;
}

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const
{
    return GetThisMessageMap();
}

const AFX_MSGMAP_ENTRY* CCmdTarget::FindMessageEntry(UINT message, WPARAM wParam) const
{
    for (const AFX_MSGMAP* map = GetMessageMap(); map;
         map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e->pfnDispatch; ++e) {
            if (e->pnRegistered) {
                if (*e->pnRegistered != 0 && *e->pnRegistered == message)
                    return e;
            } else if (e->nMessage == message) {
                if (message != WM_COMMAND ||
                    (e->nID == LOWORD(wParam) && e->nCode == HIWORD(wParam)))
                    return e;
            }
        }
    }
    return nullptr;
}

// clang-format off
BEGIN_MESSAGE_MAP(CWnd, CCmdTarget)
END_MESSAGE_MAP()
// clang-format on

CWnd* afx::WndFromHandle(HWND hWnd)
{
    return CWnd::FromHandlePermanent(hWnd);
}

LRESULT afx::CtlColorWith(CCmdTarget* p, WPARAM w, LPARAM l,
                          HBRUSH (*call)(CCmdTarget*, CDC*, UINT))
{
    CDC dc(reinterpret_cast<HDC>(w));
    return reinterpret_cast<LRESULT>(call(p, &dc, static_cast<UINT>(l)));
}

CWnd::~CWnd()
{
    // A window must never outlive the object its procedure routes into.
    if (m_hWnd && FromHandlePermanent(m_hWnd) == this) {
        UnsubclassWindow();
        HWND h = m_hWnd;
        Detach();
        ::DestroyWindow(h);
    }
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd)
{
    auto& map = HandleMap();
    auto it = map.find(hWnd);
    return it == map.end() ? nullptr : it->second;
}

BOOL CWnd::Attach(HWND hWnd)
{
    if (!hWnd || m_hWnd || FromHandlePermanent(hWnd))
        return FALSE;
    HandleMap()[hWnd] = this;
    m_hWnd = hWnd;
    return TRUE;
}

HWND CWnd::Detach()
{
    HWND h = m_hWnd;
    if (h) {
        auto& map = HandleMap();
        auto it = map.find(h);
        if (it != map.end() && it->second == this)
            map.erase(it);
    }
    m_hWnd = nullptr;
    return h;
}

WNDPROC CWnd::GetProcedure() const
{
    return reinterpret_cast<WNDPROC>(m_bUnicode ? ::GetWindowLongPtrW(m_hWnd, GWLP_WNDPROC)
                                                : ::GetWindowLongPtrA(m_hWnd, GWLP_WNDPROC));
}

WNDPROC CWnd::SetProcedure(WNDPROC pfn) const
{
    const LONG_PTR lProc = reinterpret_cast<LONG_PTR>(pfn);
    return reinterpret_cast<WNDPROC>(m_bUnicode ? ::SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, lProc)
                                                : ::SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, lProc));
}

// A window that keeps its text as Unicode (the common controls do) is
// subclassed as one: an ANSI procedure in between would pass every text
// through the process's code page, and text that code page lacks would be lost.
BOOL CWnd::SubclassWindow(HWND hWnd)
{
    if (!Attach(hWnd))
        return FALSE;
    PreSubclassWindow();
    m_bUnicode = ::IsWindowUnicode(hWnd) != FALSE;
    WNDPROC old = SetProcedure(&AfxWndProc);
    if (!old) {
        Detach();
        return FALSE;
    }
    if (old != &AfxWndProc)
        m_pfnSuper = old;
    return TRUE;
}

HWND CWnd::UnsubclassWindow()
{
    // Only put the old procedure back while ours is still the window's own;
    // someone who subclassed on top of us must undo their own layer first.
    if (m_hWnd && m_pfnSuper && GetProcedure() == &AfxWndProc) {
        SetProcedure(m_pfnSuper);
        m_pfnSuper = nullptr;
    }
    return m_hWnd;
}

BOOL CWnd::CreateEx(DWORD dwExStyle, const char* pszClass, const char* pszName, DWORD dwStyle,
                    const RECT& rect, CWnd* pParent, UINT nID)
{
    if (m_hWnd)
        return FALSE;
    HWND hParent = pParent ? pParent->m_hWnd : nullptr;
    HMENU hMenuOrId =
        (dwStyle & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID)) : nullptr;
    HWND h = ::CreateWindowExA(dwExStyle, pszClass, pszName, dwStyle, rect.left, rect.top,
                               rect.right - rect.left, rect.bottom - rect.top, hParent, hMenuOrId,
                               AfxGetInstanceHandle(), nullptr);
    if (!h)
        return FALSE;
    if (!SubclassWindow(h)) {
        ::DestroyWindow(h);
        return FALSE;
    }
    return TRUE;
}

BOOL CWnd::DestroyWindow()
{
    if (!m_hWnd)
        return FALSE;
    return ::DestroyWindow(m_hWnd);
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT lResult = 0;
    if (!OnWndMsg(message, wParam, lParam, &lResult))
        lResult = DefWindowProc(message, wParam, lParam);
    return lResult;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    if (IsCtlColorMessage(message)) {
        CWnd* pChild = FromHandlePermanent(reinterpret_cast<HWND>(lParam));
        if (pChild && pChild != this && pChild->OnChildNotify(message, wParam, lParam, pResult))
            return TRUE;
    }
    const AFX_MSGMAP_ENTRY* e = FindMessageEntry(message, wParam);
    if (!e)
        return FALSE;
    *pResult = e->pfnDispatch(this, wParam, lParam);
    return TRUE;
}

BOOL CWnd::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    if (!IsCtlColorMessage(message))
        return FALSE;
    const AFX_MSGMAP_ENTRY* e = FindMessageEntry(WM_REFLECT_BASE + WM_CTLCOLOR, 0);
    if (!e)
        return FALSE;
    LRESULT r = e->pfnDispatch(this, wParam, static_cast<LPARAM>(message - WM_CTLCOLORMSGBOX));
    if (!r)
        return FALSE; // no brush: the parent colours the control itself
    *pResult = r;
    return TRUE;
}

BOOL CWnd::PreTranslateMessage(MSG*)
{
    return FALSE;
}

LRESULT CWnd::Default()
{
    if (!m_pCurrent)
        return 0;
    return DefWindowProc(m_pCurrent->message, m_pCurrent->wParam, m_pCurrent->lParam);
}

// In the character set the window was subclassed in, so the message's text
// reaches the previous procedure as it came.
LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_pfnSuper)
        return m_bUnicode ? ::CallWindowProcW(m_pfnSuper, m_hWnd, message, wParam, lParam)
                          : ::CallWindowProcA(m_pfnSuper, m_hWnd, message, wParam, lParam);
    return m_bUnicode ? ::DefWindowProcW(m_hWnd, message, wParam, lParam)
                      : ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) const
{
    return ::SendMessageA(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) const
{
    return ::PostMessageA(m_hWnd, message, wParam, lParam);
}

void CWnd::OnFinalNcDestroy()
{
    UnsubclassWindow();
    if (AfxGetMainWnd() == this)
        AfxMainWndSlot() = nullptr;
    Detach();
    m_pfnSuper = nullptr;
    m_bUnicode = false;
}

LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWnd* pWnd = CWnd::FromHandlePermanent(hWnd);
    if (!pWnd)
        return ::IsWindowUnicode(hWnd) ? ::DefWindowProcW(hWnd, message, wParam, lParam)
                                       : ::DefWindowProcA(hWnd, message, wParam, lParam);

    // Nothing may unwind through a window procedure.
    LRESULT lResult = 0;
    const CWnd::CurrentMessage current = {message, wParam, lParam};
    const CWnd::CurrentMessage* pSaved = pWnd->m_pCurrent;
    pWnd->m_pCurrent = &current;
    try {
        lResult = pWnd->WindowProc(message, wParam, lParam);
    } catch (...) {
        lResult = 0;
    }
    pWnd->m_pCurrent = pSaved;
    if (message == WM_NCDESTROY)
        pWnd->OnFinalNcDestroy();
    return lResult;
}

BOOL AfxPreTranslateMessage(MSG* pMsg)
{
    for (HWND h = pMsg->hwnd; h;) {
        if (CWnd* pWnd = CWnd::FromHandlePermanent(h); pWnd && pWnd->PreTranslateMessage(pMsg))
            return TRUE;
        if (!(::GetWindowLongPtrA(h, GWL_STYLE) & WS_CHILD))
            break;
        h = ::GetParent(h);
    }
    return FALSE;
}
