// Registered as the http handler in the test prefix: records the exact
// address the shell hands over, one line per start, then ends.
#include <windows.h>

#include <cstdlib>
#include <string>

int main()
{
    const char* log = std::getenv("QF_CATCHER_LOG");
    // Append-only access makes each write land at the end whole, so copies the
    // shell starts at the same moment cannot overwrite one another's lines.
    HANDLE f = CreateFileA(log ? log : "C:\\catcher.log", FILE_APPEND_DATA,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    // Clear of Wine's own exit codes, as the test tool's are (see qftool.cpp).
    if (f == INVALID_HANDLE_VALUE)
        return 103;
    const std::string line = std::string(GetCommandLineA()) + "\n";
    DWORD written = 0;
    WriteFile(f, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(f);
    return 0;
}
