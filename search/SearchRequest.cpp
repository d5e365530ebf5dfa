#include "search/SearchRequest.h"

#include "app/WebPages.h"

#include <shellapi.h>

namespace {

const char kPlaceholder[] = "SEARCH_TEXT";
const char kQueryAnd[] = "/bin/query?p=SEARCH_TEXT&hc=0&hs=0";
const char kQueryOr[] = "/bin/query?p=SEARCH_TEXT&s=o";
const char kQueryExpert[] = "/bin/query?p=SEARCH_TEXT&s=e";

SearchLauncher g_pfnLauncher = nullptr;

bool IsKeptByte(unsigned char b)
{
    return b == '*' || b == '-' || b == '.' || b == '@' || b == '_' || (b >= 'A' && b <= 'Z') ||
           (b >= 'a' && b <= 'z') || (b >= '0' && b <= '9');
}

// Wider than the Shift-JIS lead bytes on purpose: 0x80 and 0xFD-0xFF count too,
// whatever the code page, so the address does not depend on the user's locale.
bool IsPairLead(unsigned char b)
{
    return (b >= 0x80 && b <= 0x9F) || b >= 0xE0;
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
        } else if (IsPairLead(b)) {
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
    if (g_pfnLauncher) {
        g_pfnLauncher(address);
        return;
    }
    ::ShellExecuteA(nullptr, "open", address, nullptr, nullptr, SW_SHOW);
}

SearchLauncher SetSearchLauncher(SearchLauncher pfnLaunch)
{
    SearchLauncher previous = g_pfnLauncher;
    g_pfnLauncher = pfnLaunch;
    return previous;
}
