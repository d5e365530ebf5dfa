#pragma once
// The optional key combination that brings up the search window. It is stored
// as the REG_DWORD "hotkey" in the program's key: the low byte a virtual-key
// code, the second byte the modifiers as RegisterHotKey takes them (Alt 1,
// Ctrl 2, Shift 4, Win 8). Absent or 0: no hotkey.
#include <windows.h>

// The modifiers (MOD_NOREPEAT added) and the key to register for a stored
// value; false for none: 0, no modifier, bits above the second byte or
// modifier bits RegisterHotKey does not know, no key, a key that is itself
// a modifier (a bare letter would break typing), a mouse button, or a
// combination every program uses: Ctrl or Shift with C, V, X, Z, A, Insert
// or Delete, Alt with F4, Tab or Space.
bool DecodeHotkey(DWORD dwStored, UINT* pfsModifiers, UINT* puKey);

// Registers the stored combination for the window; false when none is
// stored or it is taken (by another program, or a copy started earlier).
bool RegisterStoredHotkey(HWND hWnd, int nId);
