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

// One character starting at p, limited to nAvail bytes: its length, and the
// character upper-cased into out. LCMapStringA reads the text in the code page
// of the locale it is given; ours is the process's ANSI code page, the system
// locale's. The user's locale may have another one and misread Shift-JIS.
static int FoldChar(const char* p, int nAvail, char out[4])
{
    if (nAvail >= 2 && MbCharLength(p) == 2) {
        char mapped[4] = {};
        int n = LCMapStringA(LOCALE_SYSTEM_DEFAULT, LCMAP_UPPERCASE, p, 2, mapped, sizeof(mapped));
        if (n == 2) {
            out[0] = mapped[0];
            out[1] = mapped[1];
        } else {
            out[0] = p[0];
            out[1] = p[1];
        }
        return 2;
    }
    const unsigned char b = static_cast<unsigned char>(p[0]);
    out[0] = static_cast<char>((b >= 'a' && b <= 'z') ? b - 'a' + 'A' : b);
    return 1;
}

bool MbEqualNoCaseN(const char* a, const char* b, int nBytes)
{
    int i = 0, j = 0;
    while (i < nBytes && j < nBytes) {
        if (a[i] == '\0' || b[j] == '\0')
            return a[i] == '\0' && b[j] == '\0';
        char fa[4], fb[4];
        int la = FoldChar(a + i, nBytes - i, fa);
        int lb = FoldChar(b + j, nBytes - j, fb);
        if (la != lb || std::memcmp(fa, fb, static_cast<size_t>(la)) != 0)
            return false;
        i += la;
        j += lb;
    }
    return true;
}

bool MbEqualNoCase(const char* a, const char* b)
{
    const size_t la = std::strlen(a), lb = std::strlen(b);
    if (la != lb)
        return false;
    return MbEqualNoCaseN(a, b, static_cast<int>(la) + 1);
}
