// Registered as the http handler in the test prefix: records the exact
// address the shell hands over, one line per start, then ends.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int main()
{
    const char* log = std::getenv("QF_CATCHER_LOG");
    FILE* f = std::fopen(log ? log : "C:\\catcher.log", "ab");
    if (!f)
        return 1;
    std::fprintf(f, "%s\n", GetCommandLineA());
    std::fclose(f);
    return 0;
}
