// Removal of whole keys: the depth-first DeleteTree and the guarded DeleteKey.
#include "util/registry/Registry.h"

#include "framework/MbString.h"

namespace {

// A key name is at most 255 characters; the buffer holds 255 bytes and the zero.
const int kNameBufferSize = 256;

// First-level keys that must never be removed, compared with the whole
// resolved sub-key. "AppEvent" without a final s, as it always was.
const char* const kProtectedNames[] = {
    "AppEvent", "Control Panel", "EUDC",   "Software", "Hardware",
    "CLSID",    "Network",       "System", "Security", ".Default",
};

// Position of the last backslash that is a character of its own, or -1.
int FindLastSeparator(const char* psz)
{
    int nLast = -1;
    for (int i = 0; psz[i] != '\0'; i += MbCharLength(psz + i, -1, MbIsKeyPathLeadByte)) {
        if (psz[i] == '\\') // a trail byte is never a separator: it is stepped over
            nLast = i;
    }
    return nLast;
}

} // namespace

BOOL CRegistry::DeleteValueAtPath(HKEY hParent, const char* pszPath)
{
    const int nSeparator = FindLastSeparator(pszPath);
    if (nSeparator < 0)
        return RegDeleteValueA(hParent, pszPath) == ERROR_SUCCESS;
    // A key part that does not fit the buffer cannot name a key we could
    // have opened; refuse it rather than cut it short.
    if (nSeparator >= kNameBufferSize)
        return FALSE;
    char szKey[kNameBufferSize];
    lstrcpynA(szKey, pszPath, nSeparator + 1);
    CRegKey key;
    if (!OpenToChange(hParent, szKey, key))
        return FALSE;
    return RegDeleteValueA(key.Get(), pszPath + nSeparator + 1) == ERROR_SUCCESS;
}

// Depth first: the first remaining sub-key is removed, the key re-opened, and
// so on until none is left; then the key itself goes. A failure at any level
// stops everything, and what was removed stays removed. A path that opens no
// key is taken as key part and value name, and that value is removed instead.
BOOL CRegistry::DeleteTree(HKEY hParent, const char* pszSubKey)
{
    if (!pszSubKey)
        return FALSE;
    CRegKey key;
    bool bOpen = OpenToChange(hParent, pszSubKey, key);
    while (bOpen) {
        char szName[kNameBufferSize] = {};
        const LONG lEnum = RegEnumKeyA(key.Get(), 0, szName, kNameBufferSize);
        if (lEnum == ERROR_SUCCESS && !DeleteTree(key.Get(), szName))
            return FALSE;
        key.Close();
        Sleep(10);
        // A sub-key whose name does not fit the buffer cannot be addressed, so
        // neither it nor this key can go.
        if (lEnum == ERROR_MORE_DATA)
            return FALSE;
        if (lEnum != ERROR_SUCCESS)
            return RegDeleteKeyA(hParent, pszSubKey) == ERROR_SUCCESS;
        bOpen = OpenToChange(hParent, pszSubKey, key);
    }
    return DeleteValueAtPath(hParent, pszSubKey);
}

// Not guarded against protected names; only the path overload is.
BOOL CRegistry::DeleteKey(HKEY hRoot, CString strSubKey)
{
    return DeleteTree(hRoot, strSubKey);
}

// Refuses the root itself and the well-known first-level keys; everything
// else is handed to DeleteTree below an opened root.
BOOL CRegistry::DeleteKey(CString strPath)
{
    HKEY hRoot = nullptr;
    CString strSubKey;
    if (!ResolvePath(strPath, &hRoot, &strSubKey))
        return FALSE;
    if (strSubKey.IsEmpty() || strSubKey == "\\")
        return FALSE;
    for (const char* pszName : kProtectedNames) {
        if (MbEqualNoCase(strSubKey, pszName))
            return FALSE;
    }
    CRegKey root;
    if (!OpenToChange(hRoot, "", root))
        return FALSE;
    return DeleteTree(root.Get(), strSubKey);
}
