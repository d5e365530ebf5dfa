#pragma once
// The program's text is code page 932 (Shift-JIS, kTextCodePage), whatever
// code page Windows runs the process with; Windows' own text is UTF-16. These
// are where the two meet: every edge (window texts, the stored history, GDI)
// converts through them, never through the process's or the system's code page.
#include <windows.h>

#include "framework/MbString.h"
#include "framework/String.h"

#include <string>

// The text as UTF-16; nLength bytes, or up to the terminating zero when -1.
std::wstring ToWide(const char* psz, int nLength = -1);

// The text in code page 932. A character that code page cannot hold becomes
// its decimal character reference "&#N;" (N the Unicode code point), as a
// browser sends it in a Shift_JIS form; no look-alike is put in its place.
CString FromWide(const wchar_t* psz, int nLength = -1);

// A window's whole text, read as UTF-16 and converted.
CString ReadWindowText(HWND hWnd);
