#pragma once
// The program's text is code page 932 (Shift-JIS, kTextCodePage), whatever
// code page Windows runs the process with; Windows' own text is UTF-16. These
// are where the two meet: every edge (window texts, the stored history, GDI)
// converts through them, never through the process's or the system's code page.
#include <windows.h>

#include "framework/MbString.h"
#include "framework/String.h"

#include <vector>

// UTF-16 text with its terminating zero. Small on purpose: std::wstring would
// bring a second copy of the whole string library into the program.
class CWideText {
public:
    CWideText() : m_units(1, L'\0') {}
    // Room for nUnits units and the zero, all zero.
    explicit CWideText(size_t nUnits) : m_units(nUnits + 1, L'\0') {}

    const wchar_t* c_str() const { return m_units.data(); }
    wchar_t* data() { return m_units.data(); }
    size_t size() const { return m_units.size() - 1; }
    void resize(size_t nUnits)
    {
        m_units.resize(nUnits + 1);
        m_units[nUnits] = L'\0';
    }

private:
    std::vector<wchar_t> m_units;
};

// The text as UTF-16; nLength bytes, or up to the terminating zero when -1.
CWideText ToWide(const char* psz, int nLength = -1);

// The text as UTF-16 into a fixed field of nUnits units, its zero included;
// a longer text is cut. Code page 932 holds no character that needs two units,
// so a cut never splits one.
void ToWideField(const char* psz, wchar_t* pField, int nUnits);

// The text in code page 932. A character that code page cannot hold becomes
// its decimal character reference "&#N;" (N the Unicode code point), as a
// browser sends it in a Shift_JIS form; no look-alike is put in its place.
CString FromWide(const wchar_t* psz, int nLength = -1);

// A window's whole text, read as UTF-16 and converted.
CString ReadWindowText(HWND hWnd);
