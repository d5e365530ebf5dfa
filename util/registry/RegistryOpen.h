#pragma once
// How the overloads of a value operation open their key before they call the
// open-key overload. Shared by the source files of CRegistry only; nothing
// outside util/registry includes it.
#include "util/registry/Registry.h"
#include "util/registry/RegKey.h"

namespace RegistryOpen {

const REGSAM kReadAccess = KEY_READ;
const REGSAM kDeleteAccess = KEY_READ | KEY_WRITE;

// For reading: the sub-key opened right under its root; nothing is created.
inline bool ReadOpen(HKEY hRoot, const char* pszSubKey, CRegKey& key)
{
    return key.Open(hRoot, pszSubKey, kReadAccess) == ERROR_SUCCESS;
}

// The same for a path resolved against the object. *pbResolved, when given,
// tells whether the path resolved at all: reads that empty their output do so
// only then.
bool ReadOpen(CRegistry& reg, const CString& strPath, CRegKey& key, bool* pbResolved = nullptr);

// For writing: the sub-key created, with any missing keys on the way, or
// opened as it is.
inline bool WriteOpen(HKEY hRoot, const char* pszSubKey, CRegKey& key)
{
    return key.Create(hRoot, pszSubKey) == ERROR_SUCCESS;
}

// The same for a path resolved against the object, created below its opened
// root.
bool WriteOpen(CRegistry& reg, const CString& strPath, CRegKey& key);

// The long group is the int group under another type. The int read works on a
// copy, which goes back whatever the result, so the long sees exactly what an
// int would.
template <typename ReadInt> BOOL ReadLongAsInt(long* plValue, ReadInt readInt)
{
    if (!plValue)
        return FALSE;
    int nValue = static_cast<int>(*plValue);
    BOOL bResult = readInt(&nValue);
    *plValue = nValue;
    return bResult;
}

} // namespace RegistryOpen
