#pragma once
// Where the search window comes up: its stored corner pulled into the work area.
#include <windows.h>

constexpr int kDefaultWindowPos = 40;

// The primary display's work area; the whole primary screen if it cannot be read.
void GetWorkArea(RECT* pWork);

// The window rectangle of size cx x cy for a stored corner. pX or pY is null
// when that coordinate could not be read: then the default corner is used as
// it is. Otherwise the corner is clamped into rcWork, right and bottom last,
// so a window larger than the work area keeps its right and bottom edges on it.
void CalcPlacement(const int* pX, const int* pY, int cx, int cy, const RECT& rcWork, RECT* pRect);
