#pragma once
// Where the search window comes up: its stored corner pulled into the work area
// of the monitor it was left on.
#include <windows.h>

constexpr int kDefaultWindowPos = 40;

// The work area of the monitor holding most of rc, or of the one nearest to it
// when rc lies on none; the whole primary screen if it cannot be read.
void GetNearestWorkArea(const RECT& rc, RECT* pWork);

using NearestWorkAreaFn = void (*)(const RECT& rc, RECT* pWork);

// The window rectangle of size cx x cy for a stored corner. pX or pY is null
// when that coordinate could not be read: then the default corner is used as
// it is. Otherwise the corner is clamped into rcWork, right and bottom last,
// so a window larger than the work area keeps its right and bottom edges on it.
void CalcPlacement(const int* pX, const int* pY, int cx, int cy, const RECT& rcWork, RECT* pRect);

// The same, clamped into the work area that pfnWorkArea gives for the stored
// rectangle.
void CalcPlacement(const int* pX, const int* pY, int cx, int cy, RECT* pRect,
                   NearestWorkAreaFn pfnWorkArea = GetNearestWorkArea);
