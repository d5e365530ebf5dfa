#include "framework/Shell.h"

#include <windows.h>

#include <shellapi.h>

namespace {
WebPageOpener g_pfnOpener = nullptr;
} // namespace

void OpenWebPage(const char* pszAddress)
{
    if (g_pfnOpener) {
        g_pfnOpener(pszAddress);
        return;
    }
    ::ShellExecuteA(nullptr, "open", pszAddress, nullptr, nullptr, SW_SHOW);
}

WebPageOpener SetWebPageOpener(WebPageOpener pfnOpen)
{
    WebPageOpener previous = g_pfnOpener;
    g_pfnOpener = pfnOpen;
    return previous;
}
