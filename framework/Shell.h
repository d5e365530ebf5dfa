#pragma once
// Web addresses handed to the desktop shell, which opens them in the user's
// browser.

// ShellExecuteA with the verb "open", no owner window and SW_SHOW. The shell's
// answer is not examined: without a browser nothing happens, and nothing is
// reported.
void OpenWebPage(const char* pszAddress);

// Replaces what OpenWebPage does, so a test can see the address instead of
// starting a browser. nullptr restores the shell. Returns the previous opener
// (nullptr for the shell).
using WebPageOpener = void (*)(const char* pszAddress);
WebPageOpener SetWebPageOpener(WebPageOpener pfnOpen);
