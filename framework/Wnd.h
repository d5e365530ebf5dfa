#pragma once
// Windows as objects: one CWnd per HWND, found through a handle map, with all
// messages routed through one window procedure into the virtual WindowProc.
#include "framework/MessageMap.h"
#include "framework/String.h"

class CCmdTarget {
public:
    CCmdTarget() = default;
    virtual ~CCmdTarget() = default;
    CCmdTarget(const CCmdTarget&) = delete;
    CCmdTarget& operator=(const CCmdTarget&) = delete;

    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;

    // Finds the map entry for a message; nullptr when the maps have none.
    const AFX_MSGMAP_ENTRY* FindMessageEntry(UINT message, WPARAM wParam) const;
};

class CWnd : public CCmdTarget {
public:
    CWnd() = default;
    ~CWnd() override;

    HWND m_hWnd = nullptr;
    operator HWND() const { return m_hWnd; }

    static CWnd* FromHandlePermanent(HWND hWnd);

    // Binds the object to an existing window without changing its procedure.
    BOOL Attach(HWND hWnd);
    HWND Detach();
    // Binds the object and routes the window's messages through it.
    BOOL SubclassWindow(HWND hWnd);
    HWND UnsubclassWindow();

    BOOL CreateEx(DWORD dwExStyle, const char* pszClass, const char* pszName, DWORD dwStyle,
                  const RECT& rect, CWnd* pParent, UINT nID);
    virtual BOOL DestroyWindow();

    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual BOOL PreTranslateMessage(MSG* pMsg);
    virtual void PreSubclassWindow() {}
    // A message the parent reflected back; TRUE when this control handled it.
    virtual BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);

    // Passes the message being handled on to the window's previous procedure.
    LRESULT Default();
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    BOOL ShowWindow(int nCmdShow) const { return ::ShowWindow(m_hWnd, nCmdShow); }
    BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
    BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
    void GetWindowRect(RECT* pRect) const { ::GetWindowRect(m_hWnd, pRect); }
    BOOL SetWindowPos(HWND hAfter, int x, int y, int cx, int cy, UINT nFlags) const
    {
        return ::SetWindowPos(m_hWnd, hAfter, x, y, cx, cy, nFlags);
    }
    BOOL SetForegroundWindow() const { return ::SetForegroundWindow(m_hWnd); }
    HWND SetFocus() const { return ::SetFocus(m_hWnd); }
    void Invalidate(BOOL bErase = TRUE) const { ::InvalidateRect(m_hWnd, nullptr, bErase); }
    HWND GetDlgItem(int nID) const { return ::GetDlgItem(m_hWnd, nID); }

protected:
    DECLARE_MESSAGE_MAP()

    // Tries the message maps; FALSE when nothing in them handles the message.
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    void OnDestroy() { Default(); }

    WNDPROC m_pfnSuper = nullptr;

private:
    bool m_bUnicode = false; // subclassed as a Unicode window
    // The window's procedure, read and set in the character set it was
    // subclassed in.
    WNDPROC GetProcedure() const;
    WNDPROC SetProcedure(WNDPROC pfn) const;

    friend LRESULT CALLBACK AfxWndProc(HWND, UINT, WPARAM, LPARAM);
    void OnFinalNcDestroy();

    struct CurrentMessage {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };
    const CurrentMessage* m_pCurrent = nullptr;
};

LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

// Gives a message to the windows it is meant for (a control, then its dialog)
// before it is dispatched; TRUE when one of them consumed it.
BOOL AfxPreTranslateMessage(MSG* pMsg);
