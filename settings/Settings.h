#pragma once
// What the program keeps between runs, under the current user's
// HKEY_CURRENT_USER\Software\VORNELIX\Quillfind: the search history, the
// search mode, the search window's corner and the keyboard choices, which an
// administrator may set for every user under
// HKEY_LOCAL_MACHINE\Software\Policies\VORNELIX\Quillfind instead. Callers
// load and save; the key paths and value names are this module's own. A
// value that is missing or of another registry type than the program writes
// counts as not stored. No key stays open between calls.
#include <windows.h>

#include "framework/String.h"

#include <vector>

namespace Settings {

// The stored queries, newest first: missing, unreadable and empty values are
// skipped and the rest close up.
std::vector<CString> LoadHistory();

// Puts a query on top of the history stored now (another copy of the program
// may have searched since this one read it) and stores the result. *pHistory
// receives what was stored; when the registry refuses the write, it keeps its
// own entries with the query on top instead. An empty query changes nothing.
void SaveQuery(const CString& strQuery, std::vector<CString>* pHistory);

// The copies of one user take turns at the stored history under this mutex.
inline constexpr char kHistoryLockName[] = "Local\\VORNELIX.Quillfind.History";

// The mode box's index; 0 when none is stored. Not range-checked.
int LoadMode();
void SaveMode(int nMode);

// The search window's outer top-left corner; false unless both coordinates
// are stored.
bool LoadPosition(int* pX, int* pY);
void SavePosition(int x, int y);

// The keyboard choices, read at the start. A value set by the administrator
// wins over the user's own.
// The hotkey as stored (see app/Hotkey.h); false when none is stored.
bool LoadHotkey(DWORD* pdwHotkey);
// Enter in the search window searches: the REG_DWORD "enter" is 1.
bool LoadEnterSearches();

// Removes the program's whole key; the maker's key above it stays.
void Remove();

} // namespace Settings
