#include "framework/WideText.h"

#include <cstring>
#include <cwchar>

namespace {

// The code page's bytes for one character (one or two UTF-16 units); false
// when the code page has no such character of its own. Best-fit look-alikes
// ("s" for a sharp s, "\" for a yen sign) are not taken.
bool ToCodePage(const wchar_t* pUnits, int nUnits, CString* pOut)
{
    BOOL bUsedDefault = FALSE;
    const int n = WideCharToMultiByte(kTextCodePage, WC_NO_BEST_FIT_CHARS, pUnits, nUnits, nullptr,
                                      0, nullptr, &bUsedDefault);
    if (n <= 0 || bUsedDefault)
        return false;
    CString str;
    WideCharToMultiByte(kTextCodePage, WC_NO_BEST_FIT_CHARS, pUnits, nUnits,
                        str.GetBufferSetLength(n), n, nullptr, nullptr);
    str.ReleaseBuffer(n);
    *pOut += str;
    return true;
}

unsigned long CodePoint(const wchar_t* p, bool bPair)
{
    if (bPair)
        return 0x10000 + ((p[0] - 0xD800UL) << 10) + (p[1] - 0xDC00UL);
    // A surrogate without its partner is no character: the replacement
    // character stands for it.
    return p[0] >= 0xD800 && p[0] <= 0xDFFF ? 0xFFFDUL : static_cast<unsigned long>(p[0]);
}

} // namespace

CWideText ToWide(const char* psz, int nLength)
{
    if (!psz)
        return CWideText();
    const int nBytes = nLength < 0 ? static_cast<int>(std::strlen(psz)) : nLength;
    if (nBytes == 0)
        return CWideText();
    const int nUnits = MultiByteToWideChar(kTextCodePage, 0, psz, nBytes, nullptr, 0);
    CWideText wide(static_cast<size_t>(nUnits > 0 ? nUnits : 0));
    if (nUnits > 0)
        MultiByteToWideChar(kTextCodePage, 0, psz, nBytes, wide.data(), nUnits);
    return wide;
}

void ToWideField(const char* psz, wchar_t* pField, int nUnits)
{
    lstrcpynW(pField, ToWide(psz).c_str(), nUnits);
}

CString FromWide(const wchar_t* psz, int nLength)
{
    CString out;
    if (!psz)
        return out;
    const int nUnits = nLength < 0 ? static_cast<int>(std::wcslen(psz)) : nLength;
    // Most text converts whole; only text with a character the code page
    // lacks is walked one character at a time.
    if (nUnits == 0 || ToCodePage(psz, nUnits, &out))
        return out;
    for (int i = 0; i < nUnits;) {
        const bool bPair =
            i + 1 < nUnits && IS_HIGH_SURROGATE(psz[i]) && IS_LOW_SURROGATE(psz[i + 1]);
        const int nChar = bPair ? 2 : 1;
        if (!ToCodePage(psz + i, nChar, &out)) {
            CString strRef;
            strRef.Format("&#%lu;", CodePoint(psz + i, bPair));
            out += strRef;
        }
        i += nChar;
    }
    return out;
}

CString ReadWindowText(HWND hWnd)
{
    // The length is an upper bound; the read gives the text's own length.
    CWideText wide(static_cast<size_t>(GetWindowTextLengthW(hWnd)));
    const int n = GetWindowTextW(hWnd, wide.data(), static_cast<int>(wide.size()) + 1);
    return FromWide(wide.c_str(), n > 0 ? n : 0);
}
