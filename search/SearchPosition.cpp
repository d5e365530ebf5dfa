#include "search/SearchPosition.h"

void GetWorkArea(RECT* pWork)
{
    if (::SystemParametersInfoA(SPI_GETWORKAREA, 0, pWork, 0) && pWork->right > pWork->left &&
        pWork->bottom > pWork->top)
        return;
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
