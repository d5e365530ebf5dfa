#include "util/registry/RegKey.h"

LONG CRegKey::Open(HKEY hParent, const char* pszSubKey, REGSAM samDesired)
{
    Close();
    HKEY hKey = nullptr;
    LONG lResult = RegOpenKeyExA(hParent, pszSubKey, 0, samDesired, &hKey);
    if (lResult == ERROR_SUCCESS)
        m_hKey = hKey;
    return lResult;
}

// Creates every missing key on the way down; an existing key is opened as it is.
LONG CRegKey::Create(HKEY hParent, const char* pszSubKey)
{
    Close();
    char szClass[] = "";
    HKEY hKey = nullptr;
    DWORD dwDisposition = 0;
    LONG lResult = RegCreateKeyExA(hParent, pszSubKey, 0, szClass, REG_OPTION_NON_VOLATILE,
                                   KEY_ALL_ACCESS, nullptr, &hKey, &dwDisposition);
    if (lResult == ERROR_SUCCESS)
        m_hKey = hKey;
    return lResult;
}

void CRegKey::Close()
{
    if (m_hKey) {
        RegCloseKey(m_hKey);
        m_hKey = nullptr;
    }
}

void CRegKey::Attach(HKEY hKey)
{
    Close();
    m_hKey = hKey;
}

HKEY CRegKey::Detach()
{
    HKEY hKey = m_hKey;
    m_hKey = nullptr;
    return hKey;
}
