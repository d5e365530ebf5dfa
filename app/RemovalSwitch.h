#pragma once
// Started with "/UNREGIST", the program asks its running copies to close and
// removes its settings instead of running; an uninstaller uses this.

// True when "/UNREGIST" stands in the command line, in any letter case,
// starting on a character boundary. The program's own path at the start of the
// line is not searched: quoted or not, spelled any way that names the file
// pszProgramPath names (relative, with "." or "..", without ".exe", by its
// short name, either slash, any letter case). A line that does not start with
// it is searched whole.
bool HasRemovalSwitch(const char* pszCommandLine, const char* pszProgramPath);

// The test on this process's own command line and path.
bool HasRemovalSwitch();

void RunRemoval();
