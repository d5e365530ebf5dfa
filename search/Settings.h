#pragma once
// Where the program keeps its settings, and the names of the values under it.

// Parent of the program's key, and the program's own key below it: removal
// works on the parent so it can take the whole program key away.
inline constexpr char kVendorKeyPath[] = "HKEY_CURRENT_USER\\Software\\VORNELIX";
inline constexpr char kProgramKeyName[] = "Quillfind";
inline constexpr char kProgramKeyPath[] = "HKEY_CURRENT_USER\\Software\\VORNELIX\\Quillfind";

// Relative to the program's key.
inline constexpr char kModeValue[] = "mode";
inline constexpr char kHotkeyValue[] = "hotkey";
inline constexpr char kHistoryKey[] = "text";
inline constexpr char kHistoryValueFormat[] = "text%02X";
inline constexpr char kPositionKey[] = "WinPos\\Search";
inline constexpr char kPosXValue[] = "posX";
inline constexpr char kPosYValue[] = "posY";

#include "framework/String.h"

class CRegistry;

// Reads a setting as the program writes it: a value of another registry type
// is unreadable instead of taken for a number or a text. The key is opened
// once per value; the output changes only on success. For DWORD, int (both
// REG_DWORD) and CString (REG_SZ).
template <typename T>
BOOL ReadStored(CRegistry& reg, const CString& strPath, const CString& strName, T* pValue);
