#pragma once
// Started with "/UNREGIST", the program asks its running copies to close and
// removes its settings instead of running; an uninstaller uses this.

// True when "/UNREGIST" stands in the command line, in any letter case,
// starting on a character boundary. The program's own path at the start of the
// line (pszProgramPath, quoted or not, either slash, any letter case) is not
// searched; a line that does not start with it is searched whole.
bool HasRemovalSwitch(const char* pszCommandLine, const char* pszProgramPath);

// The test on this process's own command line and path.
bool HasRemovalSwitch();

void RunRemoval();
