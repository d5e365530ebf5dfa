#pragma once
// Started with "/UNREGIST", the program asks a running copy to close and
// removes its settings instead of running; an uninstaller uses this.

// True when "/UNREGIST" stands anywhere in the command line, in any letter
// case, starting on a character boundary.
bool HasRemovalSwitch(const char* pszCommandLine);

void RunRemoval();
