#include "framework/Gdi.h"

#include <cstdlib>

BOOL CFont::CreatePointFontIndirect(const LOGFONTA* pLogFont, HDC hDC)
{
    if (!pLogFont || m_hObject)
        return FALSE;
    HDC hScreen = hDC ? hDC : ::GetDC(nullptr);
    if (!hScreen)
        return FALSE;
    LOGFONTA lf = *pLogFont;
    // Tenths of a point to pixels: the sign given does not matter.
    const int dpi = ::GetDeviceCaps(hScreen, LOGPIXELSY);
    lf.lfHeight =
        -std::abs(static_cast<int>(static_cast<long long>(pLogFont->lfHeight) * dpi / 720));
    if (!hDC)
        ::ReleaseDC(nullptr, hScreen);
    m_hObject = ::CreateFontIndirectA(&lf);
    return m_hObject != nullptr;
}

BOOL CFont::DeleteObject()
{
    if (!m_hObject)
        return FALSE;
    BOOL ok = ::DeleteObject(m_hObject);
    m_hObject = nullptr;
    return ok;
}
