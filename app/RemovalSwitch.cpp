#include "app/RemovalSwitch.h"

#include "framework/MbString.h"
#include "framework/String.h"
#include "search/Settings.h"
#include "util/registry/Registry.h"

#include <windows.h>

namespace {
constexpr char kMainWindowTitle[] = "__@Qf@__";
constexpr int kCloseAttempts = 2;
constexpr DWORD kClosePauseMs = 1000;
} // namespace

bool HasRemovalSwitch(const char* pszCommandLine)
{
    CString line(pszCommandLine);
    line.MakeUpper();
    return MbFind(line, "/UNREGIST") >= 0;
}

void RunRemoval()
{
    // A copy that closes within the pause costs one request; one that does
    // not is asked once more, and the settings go either way.
    for (int i = 0; i < kCloseAttempts; ++i) {
        HWND hRunning = FindWindowA(nullptr, kMainWindowTitle);
        if (!hRunning)
            break;
        PostMessageA(hRunning, WM_COMMAND, IDOK, 0);
        Sleep(kClosePauseMs);
    }
    CRegistry reg(kVendorKeyPath);
    reg.DeleteKey(CString(kProgramKeyName));
}
