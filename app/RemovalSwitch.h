#pragma once
// Started with "/UNREGIST", the program asks its running copies to close and
// removes its settings instead of running; an uninstaller uses this.

// True when "/UNREGIST" stands anywhere in the arguments (the command line
// after the program name), in any letter case, starting on a character
// boundary. A program path that holds the word is no switch.
bool HasRemovalSwitch(const char* pszCommandLine);

void RunRemoval();
