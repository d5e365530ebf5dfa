#include "search/SearchRequest.h"

#include "framework/MbString.h"
#include "framework/Shell.h"

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

void AppendEscape(CString* out, unsigned char b)
{
    static const char kHex[] = "0123456789ABCDEF";
    *out += '%';
    *out += kHex[b >> 4];
    *out += kHex[b & 0x0F];
}

} // namespace

void EncodeSearchText(const char* text, CString* out)
{
    out->Empty();
    if (!text)
        return;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
        const unsigned char b = *p;
        if (IsKeptByte(b)) {
            *out += static_cast<char>(b);
        } else if (b == ' ') {
            *out += '+';
        } else if (MbIsAddressLeadByte(b)) {
            AppendEscape(out, b);
            // A lead byte right before the terminating zero has no partner:
            // it is escaped alone and the walk ends on the zero.
            if (p[1] != '\0') {
                ++p;
                AppendEscape(out, *p);
            }
        } else {
            AppendEscape(out, b);
        }
    }
}

CString BuildSearchAddress(int mode, const char* text)
{
    CString encoded;
    EncodeSearchText(text, &encoded);
    const char* pszQuery = kQueryAnd;
    if (mode == kModeOr)
        pszQuery = kQueryOr;
    else if (mode == kModeExpert)
        pszQuery = kQueryExpert;
    CString address = CString(kSearchService) + pszQuery;
    address.Replace(kPlaceholder, encoded);
    return address;
}

void LaunchSearchAddress(const char* address)
{
    OpenWebPage(address);
}
