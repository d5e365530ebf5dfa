#include "app/RemovalSwitch.h"

#include "framework/MbString.h"
#include "framework/String.h"
#include "res/resource.h"
#include "settings/Settings.h"

#include <windows.h>

#include <string>
#include <vector>

namespace {
constexpr int kCloseAttempts = 2;
constexpr DWORD kClosePauseMs = 1000;
constexpr DWORD kPollMs = 50;

// Slashes as backslashes, whole characters stepped over, so that two
// spellings of one path compare equal.
CString WithBackslashes(const char* psz)
{
    std::string str(psz);
    for (size_t i = 0; i < str.size(); i += MbCharLength(&str[i]))
        if (str[i] == '/')
            str[i] = '\\';
    return CString(str.c_str());
}

// Bytes that the program's own path takes at the start of the line, quotes
// included; 0 when the line does not start with it. The path must end where
// Windows ends a program name: at its closing quote, or unquoted at a blank
// or the end of the line.
int ProgramPathLength(const char* pszLine, const char* pszProgramPath)
{
    const bool bQuoted = *pszLine == '"';
    const CString line = WithBackslashes(pszLine + (bQuoted ? 1 : 0));
    const CString path = WithBackslashes(pszProgramPath);
    const int nPath = path.GetLength();
    if (nPath == 0 || line.GetLength() < nPath || !MbEqualNoCaseN(line, path, nPath))
        return 0;
    const char chNext = line.GetAt(nPath);
    if (bQuoted)
        return chNext == '"' ? nPath + 2 : 0;
    return chNext == '\0' || chNext == ' ' || chNext == '\t' ? nPath : 0;
}

// Asks every running copy to close; false when none runs. The windows are
// gathered first: a copy that closes at once must not cut the search short.
bool AskRunningCopiesToClose()
{
    std::vector<HWND> copies;
    HWND hWnd = nullptr;
    while ((hWnd = FindWindowExA(nullptr, hWnd, nullptr, QF_MAIN_TITLE)) != nullptr)
        copies.push_back(hWnd);
    for (HWND hCopy : copies)
        PostMessageA(hCopy, WM_COMMAND, IDOK, 0);
    return !copies.empty();
}

} // namespace

bool HasRemovalSwitch(const char* pszCommandLine, const char* pszProgramPath)
{
    if (!pszCommandLine)
        return false;
    CString line(pszCommandLine +
                 ProgramPathLength(pszCommandLine, pszProgramPath ? pszProgramPath : ""));
    line.MakeUpper();
    return MbFind(line, "/UNREGIST") >= 0;
}

// A path that does not fit is no path: the line is then searched whole.
bool HasRemovalSwitch()
{
    char szPath[MAX_PATH + 1] = {};
    const DWORD n = GetModuleFileNameA(nullptr, szPath, sizeof(szPath));
    if (n == 0 || n >= sizeof(szPath))
        szPath[0] = '\0';
    return HasRemovalSwitch(GetCommandLineA(), szPath);
}

void RunRemoval()
{
    // Every copy is asked, and waited for until it has gone or the pause is
    // over; copies still there are asked once more. The settings go either
    // way, after at most two pauses.
    for (int i = 0; i < kCloseAttempts; ++i) {
        if (!AskRunningCopiesToClose())
            break;
        const DWORD dwStart = GetTickCount();
        while (GetTickCount() - dwStart < kClosePauseMs &&
               FindWindowA(nullptr, QF_MAIN_TITLE) != nullptr)
            Sleep(kPollMs);
    }
    Settings::Remove();
}
