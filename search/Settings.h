#pragma once
// Where the program keeps its settings, and the names of the values under it.

// Parent of the program's key, and the program's own key below it: removal
// works on the parent so it can take the whole program key away.
inline constexpr char kVendorKeyPath[] = "HKEY_CURRENT_USER\\Software\\VORNELIX";
inline constexpr char kProgramKeyName[] = "Quillfind";
inline constexpr char kProgramKeyPath[] = "HKEY_CURRENT_USER\\Software\\VORNELIX\\Quillfind";

// Relative to the program's key.
inline constexpr char kModeValue[] = "mode";
inline constexpr char kHistoryKey[] = "text";
inline constexpr char kHistoryValueFormat[] = "text%02X";
inline constexpr char kPositionKey[] = "WinPos\\Search";
inline constexpr char kPosXValue[] = "posX";
inline constexpr char kPosYValue[] = "posY";

#include "framework/String.h"

class CRegistry;

// Reads that treat a value of another registry type than the program writes
// as unreadable, instead of taking its bytes for a number or a text.
BOOL ReadStoredDword(CRegistry& reg, CString strPath, CString strName, DWORD* pdwValue);
BOOL ReadStoredInt(CRegistry& reg, CString strPath, CString strName, int* pnValue);
BOOL ReadStoredString(CRegistry& reg, CString strPath, CString strName, CString* pstrValue);
