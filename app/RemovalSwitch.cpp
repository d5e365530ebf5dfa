#include "app/RemovalSwitch.h"

#include "framework/MbString.h"
#include "framework/String.h"

bool HasRemovalSwitch(const char* pszCommandLine)
{
    CString line(pszCommandLine);
    line.MakeUpper();
    return MbFind(line, "/UNREGIST") >= 0;
}

void RunRemoval()
{
}
