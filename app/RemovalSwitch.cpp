#include "app/RemovalSwitch.h"

#include "framework/MbString.h"
#include "framework/String.h"
#include "search/Settings.h"
#include "util/registry/Registry.h"

#include <windows.h>

#include <vector>

namespace {
constexpr char kMainWindowTitle[] = "__@Qf@__";
constexpr int kCloseAttempts = 2;
constexpr DWORD kClosePauseMs = 1000;
constexpr DWORD kPollMs = 50;

// Where the arguments begin. The program name runs to the next quote when it
// starts with one, otherwise to the first space or tab, as Windows parses it.
const char* SkipProgramName(const char* pszLine)
{
    const char* p = pszLine;
    const bool bQuoted = *p == '"';
    if (bQuoted)
        ++p;
    while (*p && (bQuoted ? *p != '"' : (*p != ' ' && *p != '\t')))
        p += (MbIsLeadByte(static_cast<unsigned char>(*p)) && p[1]) ? 2 : 1;
    if (bQuoted && *p == '"')
        ++p;
    return p;
}

// Asks every running copy to close; false when none runs. The windows are
// gathered first: a copy that closes at once must not cut the search short.
bool AskRunningCopiesToClose()
{
    std::vector<HWND> copies;
    HWND hWnd = nullptr;
    while ((hWnd = FindWindowExA(nullptr, hWnd, nullptr, kMainWindowTitle)) != nullptr)
        copies.push_back(hWnd);
    for (HWND hCopy : copies)
        PostMessageA(hCopy, WM_COMMAND, IDOK, 0);
    return !copies.empty();
}

} // namespace

bool HasRemovalSwitch(const char* pszCommandLine)
{
    if (!pszCommandLine)
        return false;
    CString args(SkipProgramName(pszCommandLine));
    args.MakeUpper();
    return MbFind(args, "/UNREGIST") >= 0;
}

void RunRemoval()
{
    // Every copy is asked, and waited for until it has gone or the pause is
    // over; copies still there are asked once more. The settings go either
    // way, after at most two pauses.
    for (int i = 0; i < kCloseAttempts; ++i) {
        if (!AskRunningCopiesToClose())
            break;
        for (DWORD waited = 0;
             waited < kClosePauseMs && FindWindowA(nullptr, kMainWindowTitle) != nullptr;
             waited += kPollMs)
            Sleep(kPollMs);
    }
    CRegistry reg(kVendorKeyPath);
    reg.DeleteKey(CString(kProgramKeyName));
}
