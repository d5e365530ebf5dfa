// Paths and keys: how a text path becomes a root handle and a sub-key, and
// keys created by path.
#include "util/registry/Registry.h"

#include "framework/MbString.h"

namespace {

struct RootName {
    const char* pszName;
    int nLength;
    HKEY hKey;
};

// Tried in this order; no other names and no abbreviations.
const RootName kRootNames[] = {
    {"HKEY_CLASSES_ROOT", 17, HKEY_CLASSES_ROOT},
    {"HKEY_CURRENT_USER", 17, HKEY_CURRENT_USER},
    {"HKEY_LOCAL_MACHINE", 18, HKEY_LOCAL_MACHINE},
    {"HKEY_USERS", 10, HKEY_USERS},
};

} // namespace

CRegistry::CRegistry(CString strPath) : m_bValid(FALSE), m_hRoot(nullptr)
{
    SetPath(strPath);
}

CRegistry::~CRegistry() = default;

void CRegistry::SetPath(CString strPath)
{
    m_strPath = NormalizePath(strPath);
    // m_hRoot itself is the out-parameter, so a path without a root name fails here.
    if (ParsePath(m_strPath, &m_hRoot, &m_strSubKey)) {
        m_bValid = TRUE;
    } else {
        m_bValid = FALSE;
        m_strPath.Empty();
        m_strSubKey.Empty();
        m_hRoot = nullptr;
    }
}

CString CRegistry::GetPath() const
{
    return m_strPath;
}

// Blanks go from both ends, then backslashes from the start, then from the
// end, once each: blanks between backslashes stay, so " \\ \\ " cleans to " "
// and never to the object's own key. A backslash that is the second byte of a
// double-byte character is part of the name and stays.
CString& CRegistry::NormalizePath(CString& strPath)
{
    strPath.Trim();
    int nLeading = 0;
    while (nLeading < strPath.GetLength() && strPath.GetAt(nLeading) == '\\')
        ++nLeading;
    strPath.Delete(0, nLeading);

    const int nLength = strPath.GetLength();
    int nKeep = 0;
    for (int i = 0, nChar = 0; i < nLength; i += nChar) {
        nChar = MbCharLength(strPath.GetString() + i, nLength - i);
        if (nChar == 2 || strPath.GetAt(i) != '\\')
            nKeep = i + nChar;
    }
    strPath.Delete(nKeep, nLength - nKeep);
    return strPath;
}

BOOL CRegistry::ParsePath(CString strPath, HKEY* phRoot, CString* pstrSubKey)
{
    if (!phRoot || !pstrSubKey)
        return FALSE;
    *phRoot = nullptr;
    pstrSubKey->Empty();
    NormalizePath(strPath);
    if (strPath.IsEmpty())
        return FALSE;
    for (const RootName& root : kRootNames) {
        if (MbEqualNoCaseN(strPath, root.pszName, root.nLength)) {
            *phRoot = root.hKey;
            // The character after the name, normally the separator, is
            // skipped unexamined: whole, so no sub-key begins with a trail byte.
            const int nSkip = root.nLength + MbCharLength(strPath.GetString() + root.nLength);
            if (strPath.GetLength() > nSkip)
                *pstrSubKey = strPath.Mid(nSkip);
            return TRUE;
        }
    }
    if (!m_hRoot)
        return FALSE;
    *phRoot = m_hRoot;
    *pstrSubKey = strPath;
    return TRUE;
}

// Any path, a full one included, is placed below the object's own sub-key.
BOOL CRegistry::ResolvePath(CString strPath, HKEY* phRoot, CString* pstrSubKey)
{
    if (!m_bValid || !phRoot || !pstrSubKey)
        return FALSE;
    NormalizePath(strPath);
    if (strPath.IsEmpty()) {
        *phRoot = m_hRoot;
        *pstrSubKey = m_strSubKey;
        return TRUE;
    }
    if (!ParsePath(strPath, phRoot, pstrSubKey) || !*phRoot)
        return FALSE;
    if (!m_strSubKey.IsEmpty()) {
        CString strJoined;
        strJoined.Format("%s\\%s", m_strSubKey.GetString(), pstrSubKey->GetString());
        *pstrSubKey = strJoined;
    }
    return TRUE;
}

bool CRegistry::OpenToRead(const CString& strPath, CRegKey& key)
{
    HKEY hRoot = nullptr;
    CString strSubKey;
    return ResolvePath(strPath, &hRoot, &strSubKey) && OpenToRead(hRoot, strSubKey, key);
}

// The root is opened first, to be changed, so a root that refuses writing
// fails before anything is created.
bool CRegistry::CreateToWrite(const CString& strPath, CRegKey& key)
{
    HKEY hRoot = nullptr;
    CString strSubKey;
    CRegKey root;
    return ResolvePath(strPath, &hRoot, &strSubKey) && OpenToChange(hRoot, "", root) &&
           CreateToWrite(root.Get(), strSubKey, key);
}

// An existing key counts as created and is left as it is.
BOOL CRegistry::CreateKey(HKEY hRoot, CString strSubKey)
{
    CRegKey key;
    return CreateToWrite(hRoot, strSubKey, key);
}

BOOL CRegistry::CreateKey(CString strPath)
{
    CRegKey key;
    return CreateToWrite(strPath, key);
}
