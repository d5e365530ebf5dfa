#pragma once
// A menu handle with an owner: destroyed with the object unless detached.
#include <windows.h>

class CMenu {
public:
    CMenu() = default;
    virtual ~CMenu();
    CMenu(const CMenu&) = delete;
    CMenu& operator=(const CMenu&) = delete;

    HMENU m_hMenu = nullptr;

    BOOL Attach(HMENU hMenu);
    HMENU Detach();
    BOOL LoadMenu(UINT nIDResource);
    BOOL DestroyMenu();
    HMENU GetSubMenu(int nPos) const { return m_hMenu ? ::GetSubMenu(m_hMenu, nPos) : nullptr; }
    BOOL TrackPopupMenu(UINT nFlags, int x, int y, HWND hWnd) const
    {
        return ::TrackPopupMenu(m_hMenu, nFlags, x, y, 0, hWnd, nullptr);
    }
};
