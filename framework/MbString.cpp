#include "framework/MbString.h"

#include <cstring>

bool MbIsLeadByte(unsigned char b)
{
    return b >= 0x80 && IsDBCSLeadByteEx(CP_ACP, b);
}

bool MbIsAddressLeadByte(unsigned char b)
{
    return (b >= 0x80 && b <= 0x9F) || b >= 0xE0;
}

bool MbIsKeyPathLeadByte(unsigned char b)
{
    return (b >= 0x80 && b <= 0xA0) || b >= 0xE0;
}

int MbCharLength(const char* p, int nAvail, bool (*isLead)(unsigned char))
{
    const bool bTrail = nAvail < 0 ? p[1] != '\0' : nAvail >= 2;
    return isLead(static_cast<unsigned char>(p[0])) && bTrail ? 2 : 1;
}

int MbCopyWhole(char* pDest, int nSize, const char* pszSrc)
{
    if (nSize <= 0)
        return 0;
    int n = 0;
    while (pszSrc && pszSrc[n]) {
        const int nChar = MbCharLength(pszSrc + n);
        const bool bLoneLead = nChar == 1 && MbIsLeadByte(static_cast<unsigned char>(pszSrc[n]));
        if (bLoneLead || n + nChar > nSize - 1)
            break;
        n += nChar;
    }
    std::memcpy(pDest, pszSrc ? pszSrc : "", static_cast<size_t>(n));
    pDest[n] = '\0';
    return n;
}

void MbUpperInPlace(char* p, int nLength)
{
    for (int i = 0, nChar = 0; i < nLength; i += nChar) {
        nChar = MbCharLength(p + i, nLength - i);
        if (nChar == 1 && p[i] >= 'a' && p[i] <= 'z')
            p[i] = static_cast<char>(p[i] - 'a' + 'A');
    }
}

int MbFind(const char* psz, const char* pszSub)
{
    if (!psz || !pszSub)
        return -1;
    const size_t nSub = std::strlen(pszSub);
    const size_t n = std::strlen(psz);
    for (size_t i = 0; i + nSub <= n;) {
        if (std::memcmp(psz + i, pszSub, nSub) == 0)
            return static_cast<int>(i);
        i += static_cast<size_t>(MbCharLength(psz + i, static_cast<int>(n - i)));
    }
    return -1;
}

namespace {

// How a comparison reads text: its code page, and the locale whose case
// mapping upper-cases its double-byte characters.
struct CFoldRules {
    UINT codePage;
    LCID lcid;
};

// Text as Windows' ANSI calls hand it over: the process's code page, cased as
// the system's locale does. The user's locale may have another code page and
// must not decide how Shift-JIS is read.
const CFoldRules kAnsiRules = {CP_ACP, LOCALE_SYSTEM_DEFAULT};
// The program's own text: Shift-JIS, cased as Japanese, on every system.
const CFoldRules kJapaneseRules = {
    kTextCodePage, MAKELCID(MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT), SORT_DEFAULT)};

// One character starting at p, limited to nAvail bytes: its length, and the
// character upper-cased into out. A double-byte character whose upper case is
// not two bytes of the same code page stays as it is.
int FoldChar(const char* p, int nAvail, char out[4], const CFoldRules& rules)
{
    const unsigned char b = static_cast<unsigned char>(p[0]);
    if (nAvail >= 2 && p[1] != '\0' && b >= 0x80 && IsDBCSLeadByteEx(rules.codePage, b)) {
        out[0] = p[0];
        out[1] = p[1];
        wchar_t wide[2] = {}, upper[4] = {};
        char mapped[8] = {};
        const int nWide = MultiByteToWideChar(rules.codePage, 0, p, 2, wide, 2);
        const int nUpper =
            nWide > 0 ? LCMapStringW(rules.lcid, LCMAP_UPPERCASE, wide, nWide, upper, 4) : 0;
        if (nUpper > 0 && WideCharToMultiByte(rules.codePage, 0, upper, nUpper, mapped,
                                              sizeof(mapped), nullptr, nullptr) == 2) {
            out[0] = mapped[0];
            out[1] = mapped[1];
        }
        return 2;
    }
    out[0] = static_cast<char>((b >= 'a' && b <= 'z') ? b - 'a' + 'A' : b);
    return 1;
}

bool EqualNoCaseN(const char* a, const char* b, int nBytes, const CFoldRules& rules)
{
    int i = 0, j = 0;
    while (i < nBytes && j < nBytes) {
        if (a[i] == '\0' || b[j] == '\0')
            return a[i] == '\0' && b[j] == '\0';
        char fa[4], fb[4];
        int la = FoldChar(a + i, nBytes - i, fa, rules);
        int lb = FoldChar(b + j, nBytes - j, fb, rules);
        if (la != lb || std::memcmp(fa, fb, static_cast<size_t>(la)) != 0)
            return false;
        i += la;
        j += lb;
    }
    return true;
}

bool EqualNoCase(const char* a, const char* b, const CFoldRules& rules)
{
    const size_t la = std::strlen(a), lb = std::strlen(b);
    return la == lb && EqualNoCaseN(a, b, static_cast<int>(la) + 1, rules);
}

} // namespace

bool MbEqualNoCaseN(const char* a, const char* b, int nBytes)
{
    return EqualNoCaseN(a, b, nBytes, kAnsiRules);
}

bool MbEqualNoCase(const char* a, const char* b)
{
    return EqualNoCase(a, b, kAnsiRules);
}

bool MbEqualNoCaseJapanese(const char* a, const char* b)
{
    return EqualNoCase(a, b, kJapaneseRules);
}
