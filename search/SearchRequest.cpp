#include "search/SearchRequest.h"

#include "framework/MbString.h"

namespace {

const char kPlaceholder[] = "SEARCH_TEXT";
const char kQueryAnd[] = "/bin/query?p=SEARCH_TEXT&hc=0&hs=0";
const char kQueryOr[] = "/bin/query?p=SEARCH_TEXT&s=o";
const char kQueryExpert[] = "/bin/query?p=SEARCH_TEXT&s=e";

bool IsKeptByte(unsigned char b)
{
    return b == '*' || b == '-' || b == '.' || b == '@' || b == '_' || (b >= 'A' && b <= 'Z') ||
           (b >= 'a' && b <= 'z') || (b >= '0' && b <= '9');
}

// Writes "%XX" at p; returns the characters written.
int PutEscape(char* p, unsigned char b)
{
    static const char kHex[] = "0123456789ABCDEF";
    p[0] = '%';
    p[1] = kHex[b >> 4];
    p[2] = kHex[b & 0x0F];
    return 3;
}

} // namespace

void EncodeSearchText(const char* text, CString* out, int nMaxLength)
{
    out->Empty();
    if (!text)
        return;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
    while (*p) {
        const unsigned char b = *p;
        char piece[8];
        int n = 0;
        int nBytes = 1;
        if (IsKeptByte(b)) {
            piece[n++] = static_cast<char>(b);
        } else if (b == ' ') {
            piece[n++] = '+';
        } else {
            // A lead byte right before the terminating zero has no partner:
            // it is escaped alone and the walk ends on the zero.
            nBytes = MbCharLength(reinterpret_cast<const char*>(p), -1, MbIsAddressLeadByte);
            for (int i = 0; i < nBytes; ++i)
                n += PutEscape(piece + n, p[i]);
        }
        if (nMaxLength >= 0 && out->GetLength() + n > nMaxLength)
            break;
        piece[n] = '\0';
        *out += piece;
        p += nBytes;
    }
}

CString BuildSearchAddress(int mode, const char* text)
{
    const char* pszQuery = kQueryAnd;
    if (mode == kModeOr)
        pszQuery = kQueryOr;
    else if (mode == kModeExpert)
        pszQuery = kQueryExpert;
    CString address = CString(kSearchService) + pszQuery;
    // The query is cut at a whole character where the address would grow
    // too long for the shell; the history keeps it whole.
    const int nFixed = address.GetLength() - static_cast<int>(sizeof(kPlaceholder) - 1);
    CString encoded;
    EncodeSearchText(text, &encoded, kMaxSearchAddress - nFixed);
    address.Replace(kPlaceholder, encoded);
    return address;
}
