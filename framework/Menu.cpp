#include "framework/Menu.h"

#include "framework/Module.h"

CMenu::~CMenu()
{
    DestroyMenu();
}

BOOL CMenu::Attach(HMENU hMenu)
{
    if (!hMenu || m_hMenu)
        return FALSE;
    m_hMenu = hMenu;
    return TRUE;
}

HMENU CMenu::Detach()
{
    HMENU h = m_hMenu;
    m_hMenu = nullptr;
    return h;
}

BOOL CMenu::LoadMenu(UINT nIDResource)
{
    return Attach(::LoadMenuA(AfxGetResourceHandle(), MAKEINTRESOURCEA(nIDResource)));
}

BOOL CMenu::DestroyMenu()
{
    if (!m_hMenu)
        return FALSE;
    BOOL ok = ::DestroyMenu(m_hMenu);
    m_hMenu = nullptr;
    return ok;
}
