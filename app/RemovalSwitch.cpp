#include "app/RemovalSwitch.h"

#include "framework/MbString.h"
#include "framework/String.h"
#include "res/resource.h"
#include "settings/Settings.h"

#include <windows.h>

#include <cstring>
#include <vector>

namespace {
constexpr int kCloseAttempts = 2;
constexpr DWORD kClosePauseMs = 1000;
constexpr DWORD kPollMs = 50;

// Paths longer than this cannot be given to the ANSI calls at all, so no
// spelling of the program's own path is longer.
constexpr DWORD kPathRoom = MAX_PATH + 1;

// True when the last name of a full path has an extension.
bool HasExtension(const CString& strFull)
{
    bool bDot = false;
    for (int i = 0; i < strFull.GetLength(); i += MbCharLength(strFull.GetString() + i)) {
        if (strFull.GetAt(i) == '\\')
            bDot = false;
        else if (strFull.GetAt(i) == '.')
            bDot = true;
    }
    return bDot;
}

// The file a program path names, spelled one way for every spelling, as
// Windows reads it when it starts a program: made full against the current
// folder (either slash, ".", "..", doubled separators), a device prefix
// ("\\?\" or "\\.\" before a drive) dropped, ".exe" added to a last name
// without an extension, short names made long. The prefix goes first: Wine
// makes no short name long behind it. Empty when it cannot be made full.
CString ProgramFile(const CString& strPath)
{
    char szFull[kPathRoom];
    DWORD n = GetFullPathNameA(strPath, kPathRoom, szFull, nullptr);
    if (n == 0 || n >= kPathRoom)
        return CString();
    const bool bDevice = n > 5 && szFull[0] == '\\' && szFull[1] == '\\' &&
                         (szFull[2] == '?' || szFull[2] == '.') && szFull[3] == '\\' &&
                         szFull[5] == ':';
    CString strFile(szFull + (bDevice ? 4 : 0));
    if (!HasExtension(strFile))
        strFile += ".exe";
    // A name that names no file stays as it is: it cannot be the program's own.
    char szLong[kPathRoom];
    n = GetLongPathNameA(strFile, szLong, kPathRoom);
    return n > 0 && n < kPathRoom ? CString(szLong) : strFile;
}

// Bytes that the program's own path takes at the start of the line, quotes
// included; 0 when the line does not start with it. A quoted path ends at its
// closing quote. An unquoted one may end at any blank or tab, as Windows
// tries each of them, or at the end of the line; the first end that names the
// program's file counts. Neither a quote nor a blank is ever a trail byte.
int ProgramPathLength(const char* pszLine, const char* pszProgramPath)
{
    const CString strProgram = ProgramFile(pszProgramPath);
    auto names = [&](const char* p, size_t n) {
        return !strProgram.IsEmpty() && n > 0 && n < kPathRoom &&
               MbEqualNoCase(ProgramFile(CString(p, static_cast<int>(n))), strProgram);
    };
    if (*pszLine == '"') {
        const char* pszClose = std::strchr(pszLine + 1, '"');
        return pszClose && names(pszLine + 1, pszClose - pszLine - 1)
                   ? static_cast<int>(pszClose - pszLine + 1)
                   : 0;
    }
    for (size_t i = 0; i < kPathRoom; i += MbCharLength(pszLine + i)) {
        const char ch = pszLine[i];
        if ((ch == '\0' || ch == ' ' || ch == '\t') && names(pszLine, i))
            return static_cast<int>(i);
        if (ch == '\0')
            break;
    }
    return 0;
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
