#include "framework/Gdi.h"

#include "framework/WideText.h"

#include <cstdlib>
#include <cstddef>
#include <cstring>

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
    // GDI reads an 8-bit face name in the system's code page, not the
    // program's: the Japanese name goes over as UTF-16.
    LOGFONTW lfWide = {};
    std::memcpy(&lfWide, &lf, offsetof(LOGFONTA, lfFaceName));
    ToWideField(lf.lfFaceName, lfWide.lfFaceName, LF_FACESIZE);
    m_hObject = ::CreateFontIndirectW(&lfWide);
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
