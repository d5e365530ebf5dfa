#include "search/SearchPosition.h"

#include <climits>

void GetNearestWorkArea(const RECT& rc, RECT* pWork)
{
    MONITORINFO mi = {};
    mi.cbSize = sizeof(mi);
    const HMONITOR hMonitor = ::MonitorFromRect(&rc, MONITOR_DEFAULTTONEAREST);
    if (hMonitor && ::GetMonitorInfoA(hMonitor, &mi) && mi.rcWork.right > mi.rcWork.left &&
        mi.rcWork.bottom > mi.rcWork.top) {
        *pWork = mi.rcWork;
        return;
    }
    pWork->left = 0;
    pWork->top = 0;
    pWork->right = ::GetSystemMetrics(SM_CXSCREEN);
    pWork->bottom = ::GetSystemMetrics(SM_CYSCREEN);
}

void CalcPlacement(const int* pX, const int* pY, int cx, int cy, const RECT& rcWork, RECT* pRect)
{
    int x = kDefaultWindowPos;
    int y = kDefaultWindowPos;
    if (pX && pY) {
        x = *pX;
        y = *pY;
        if (x < rcWork.left)
            x = rcWork.left;
        if (x > rcWork.right - cx)
            x = rcWork.right - cx;
        if (y < rcWork.top)
            y = rcWork.top;
        if (y > rcWork.bottom - cy)
            y = rcWork.bottom - cy;
    }
    pRect->left = x;
    pRect->top = y;
    pRect->right = x + cx;
    pRect->bottom = y + cy;
}

void CalcPlacement(const int* pX, const int* pY, int cx, int cy, RECT* pRect,
                   NearestWorkAreaFn pfnWorkArea)
{
    RECT rcWork = {};
    if (pX && pY) {
        // A corner too far right or down to hold the whole window is asked
        // about as far out as the rectangle can be written.
        const int x = *pX > INT_MAX - cx ? INT_MAX - cx : *pX;
        const int y = *pY > INT_MAX - cy ? INT_MAX - cy : *pY;
        const RECT rcStored = {x, y, x + cx, y + cy};
        pfnWorkArea(rcStored, &rcWork);
    }
    CalcPlacement(pX, pY, cx, cy, rcWork, pRect);
}
