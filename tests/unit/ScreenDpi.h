#pragma once
#include <windows.h>

// Dots per inch of the screen, as fonts in points are scaled by.
inline int ScreenDpi()
{
    HDC hdc = GetDC(nullptr);
    const int dpi = GetDeviceCaps(hdc, LOGPIXELSY);
    ReleaseDC(nullptr, hdc);
    return dpi;
}
