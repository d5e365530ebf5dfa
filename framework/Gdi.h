#pragma once
// Owners of GDI handles and a non-owning device-context wrapper.
#include <windows.h>

class CFont {
public:
    CFont() = default;
    ~CFont() { DeleteObject(); }
    CFont(const CFont&) = delete;
    CFont& operator=(const CFont&) = delete;

    HFONT m_hObject = nullptr;
    operator HFONT() const { return m_hObject; }

    // lfHeight in tenths of a point; turned into pixels of the screen.
    BOOL CreatePointFontIndirect(const LOGFONTA* pLogFont, HDC hDC = nullptr);
    BOOL DeleteObject();
};

// Wraps a device context it does not own.
class CDC {
public:
    explicit CDC(HDC hDC = nullptr) : m_hDC(hDC) {}
    HDC m_hDC;
    COLORREF SetTextColor(COLORREF cr) const { return ::SetTextColor(m_hDC, cr); }
    int SetBkMode(int nMode) const { return ::SetBkMode(m_hDC, nMode); }
    BOOL DrawIcon(int x, int y, HICON hIcon) const { return ::DrawIcon(m_hDC, x, y, hIcon); }
};

// BeginPaint/EndPaint as a scope.
class CPaintDC : public CDC {
public:
    explicit CPaintDC(HWND hWnd) : m_hWnd(hWnd) { m_hDC = ::BeginPaint(hWnd, &m_ps); }
    ~CPaintDC() { ::EndPaint(m_hWnd, &m_ps); }
    CPaintDC(const CPaintDC&) = delete;
    CPaintDC& operator=(const CPaintDC&) = delete;

private:
    HWND m_hWnd;
    PAINTSTRUCT m_ps = {};
};
