#pragma once
// What the module's windows, dialogs and resources share process-wide: its
// instance and resource handles, and the application's main window.
#include <windows.h>

class CWnd;

HINSTANCE AfxGetInstanceHandle();
void AfxSetInstanceHandle(HINSTANCE hInstance);
// Where dialogs, menus, icons and strings are loaded from; the instance
// unless set otherwise.
HINSTANCE AfxGetResourceHandle();
void AfxSetResourceHandle(HINSTANCE hInstance);

// An icon resource at the size the system draws small icons at (title bars,
// the notification area), which the display scale sets.
HICON AfxLoadSmallIcon(UINT nId);

// The main window: owner of dialogs that have none, and the window the tray
// icon borrows its small icon from. The application sets it; the framework
// clears it when that window is destroyed.
CWnd*& AfxMainWndSlot();

inline CWnd* AfxGetMainWnd()
{
    return AfxMainWndSlot();
}
