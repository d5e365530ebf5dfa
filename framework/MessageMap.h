#pragma once
// Declarative message maps: a static table beside each class, chained to the
// base class's table and reached through the virtual GetMessageMap. Each entry
// carries a small generated thunk that unpacks the message for its handler.
#include <windows.h>

class CCmdTarget;
class CWnd;
class CDC;

using AFX_DISPATCH = LRESULT (*)(CCmdTarget* pTarget, WPARAM wParam, LPARAM lParam);

struct AFX_MSGMAP_ENTRY {
    UINT nMessage;            // the message; for commands WM_COMMAND
    UINT nCode;               // the notification code of a command
    UINT nID;                 // the command identifier
    const UINT* pnRegistered; // a registered message, read when a message arrives
    AFX_DISPATCH pfnDispatch; // nullptr ends the table
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

// Reflected messages: the parent hands a control's own requests back to it.
constexpr UINT WM_REFLECT_BASE = 0xBC00;

namespace afx {

template <class T> struct MemberOf;
template <class C, class R, class... A> struct MemberOf<R (C::*)(A...)> {
    using type = C;
};
template <auto F> using OwnerOf = typename MemberOf<decltype(F)>::type;
template <auto F> OwnerOf<F>* Self(CCmdTarget* p)
{
    return static_cast<OwnerOf<F>*>(p);
}

CWnd* WndFromHandle(HWND hWnd);

template <auto F> LRESULT Void(CCmdTarget* p, WPARAM, LPARAM)
{
    (Self<F>(p)->*F)();
    return 0;
}
template <auto F> LRESULT Message(CCmdTarget* p, WPARAM w, LPARAM l)
{
    return (Self<F>(p)->*F)(w, l);
}
template <auto F> LRESULT SysCommand(CCmdTarget* p, WPARAM w, LPARAM l)
{
    (Self<F>(p)->*F)(static_cast<UINT>(w), l);
    return 0;
}
template <auto F> LRESULT QueryDragIcon(CCmdTarget* p, WPARAM, LPARAM)
{
    return reinterpret_cast<LRESULT>((Self<F>(p)->*F)());
}
template <auto F> LRESULT EndSession(CCmdTarget* p, WPARAM w, LPARAM)
{
    (Self<F>(p)->*F)(static_cast<BOOL>(w));
    return 0;
}
template <auto F> LRESULT MouseMessage(CCmdTarget* p, WPARAM w, LPARAM l)
{
    POINT pt = {static_cast<short>(LOWORD(l)), static_cast<short>(HIWORD(l))};
    (Self<F>(p)->*F)(static_cast<UINT>(w), pt);
    return 0;
}
template <auto F> LRESULT HotKey(CCmdTarget* p, WPARAM w, LPARAM l)
{
    (Self<F>(p)->*F)(static_cast<UINT>(w), LOWORD(l), HIWORD(l));
    return 0;
}
template <auto F> LRESULT Move(CCmdTarget* p, WPARAM, LPARAM l)
{
    (Self<F>(p)->*F)(static_cast<short>(LOWORD(l)), static_cast<short>(HIWORD(l)));
    return 0;
}
template <auto F> LRESULT SetCursor(CCmdTarget* p, WPARAM w, LPARAM l)
{
    return (Self<F>(p)->*F)(WndFromHandle(reinterpret_cast<HWND>(w)), LOWORD(l), HIWORD(l));
}
LRESULT CtlColorWith(CCmdTarget* p, WPARAM w, LPARAM l, HBRUSH (*call)(CCmdTarget*, CDC*, UINT));
template <auto F> HBRUSH CtlColorCall(CCmdTarget* p, CDC* pDC, UINT nCtlColor)
{
    return (Self<F>(p)->*F)(pDC, nCtlColor);
}
template <auto F> LRESULT CtlColor(CCmdTarget* p, WPARAM w, LPARAM l)
{
    return CtlColorWith(p, w, l, &CtlColorCall<F>);
}

} // namespace afx

// clang-format off
#define DECLARE_MESSAGE_MAP()                                   \
protected:                                                      \
    static const AFX_MSGMAP* GetThisMessageMap();               \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                      \
    const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
    const AFX_MSGMAP* theClass::GetThisMessageMap()                                 \
    {                                                                               \
        using ThisClass [[maybe_unused]] = theClass;                                               \
        using TheBaseClass = baseClass;                                             \
        static const AFX_MSGMAP_ENTRY entries[] = {

#define END_MESSAGE_MAP()                                                       \
    {0, 0, 0, nullptr, nullptr}                                                 \
    };                                                                          \
    static const AFX_MSGMAP map = {&TheBaseClass::GetThisMessageMap, entries}; \
    return &map;                                                                \
    }

// Each entry's comment gives the signature its handler must have.

// void fn()
#define ON_COMMAND(id, fn) {WM_COMMAND, 0, (id), nullptr, &afx::Void<&ThisClass::fn>},
// void fn()
#define ON_CONTROL(code, id, fn) {WM_COMMAND, (code), (id), nullptr, &afx::Void<&ThisClass::fn>},
// void fn()
#define ON_CBN_SELCHANGE(id, fn) ON_CONTROL(CBN_SELCHANGE, id, fn)
// LRESULT fn(WPARAM wParam, LPARAM lParam)
#define ON_REGISTERED_MESSAGE(var, fn) {0, 0, 0, &(var), &afx::Message<&ThisClass::fn>},
// void OnSysCommand(UINT nID, LPARAM lParam)
#define ON_WM_SYSCOMMAND() {WM_SYSCOMMAND, 0, 0, nullptr, &afx::SysCommand<&ThisClass::OnSysCommand>},
// void OnPaint()
#define ON_WM_PAINT() {WM_PAINT, 0, 0, nullptr, &afx::Void<&ThisClass::OnPaint>},
// HCURSOR OnQueryDragIcon()
#define ON_WM_QUERYDRAGICON() \
    {WM_QUERYDRAGICON, 0, 0, nullptr, &afx::QueryDragIcon<&ThisClass::OnQueryDragIcon>},
// void OnEndSession(BOOL bEnding)
#define ON_WM_ENDSESSION() {WM_ENDSESSION, 0, 0, nullptr, &afx::EndSession<&ThisClass::OnEndSession>},
// void OnLButtonDblClk(UINT nFlags, POINT point)
#define ON_WM_LBUTTONDBLCLK() \
    {WM_LBUTTONDBLCLK, 0, 0, nullptr, &afx::MouseMessage<&ThisClass::OnLButtonDblClk>},
// void OnHotKey(UINT nHotKeyId, UINT nModifiers, UINT nVirtualKey)
#define ON_WM_HOTKEY() {WM_HOTKEY, 0, 0, nullptr, &afx::HotKey<&ThisClass::OnHotKey>},
// void OnMove(int x, int y), the client area's new top-left corner
#define ON_WM_MOVE() {WM_MOVE, 0, 0, nullptr, &afx::Move<&ThisClass::OnMove>},
// void OnDestroy()
#define ON_WM_DESTROY() {WM_DESTROY, 0, 0, nullptr, &afx::Void<&ThisClass::OnDestroy>},
// BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message)
#define ON_WM_SETCURSOR() {WM_SETCURSOR, 0, 0, nullptr, &afx::SetCursor<&ThisClass::OnSetCursor>},
// HBRUSH CtlColor(CDC* pDC, UINT nCtlColor), on the control itself
#define ON_WM_CTLCOLOR_REFLECT() \
    {WM_REFLECT_BASE + WM_CTLCOLOR, 0, 0, nullptr, &afx::CtlColor<&ThisClass::CtlColor>},

// clang-format on

#ifndef WM_CTLCOLOR
#define WM_CTLCOLOR 0x0019
#endif
