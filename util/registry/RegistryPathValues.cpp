// Typed values addressed by a path relative to the object's own key: resolve,
// open or create, one open-key operation, close.
#include "util/registry/Registry.h"

#include "util/registry/RegistryOpen.h"

using namespace RegistryOpen;

// Write-opens, so a missing key is created even though only a value is deleted.
BOOL CRegistry::DeleteValue(CString strPath, CString strName)
{
    CRegKey key;
    return WriteOpen(*this, strPath, key) && RegDeleteValueA(key.Get(), strName) == ERROR_SUCCESS;
}

BOOL CRegistry::SetString(CString strPath, CString strName, CString strValue)
{
    CRegKey key;
    return WriteOpen(*this, strPath, key) && SetString(key.Get(), strName, strValue);
}

// On failure the string is empty, unless the path itself could not be resolved.
BOOL CRegistry::GetString(CString strPath, CString strName, CString* pstrValue)
{
    if (!pstrValue)
        return FALSE;
    CRegKey key;
    bool bResolved = false;
    const bool bOpen = ReadOpen(*this, strPath, key, &bResolved);
    if (bResolved)
        pstrValue->Empty();
    return bOpen && GetString(key.Get(), strName, pstrValue);
}

BOOL CRegistry::DeleteString(CString strPath, CString strName)
{
    return DeleteValue(strPath, strName);
}

BOOL CRegistry::SetInt(CString strPath, CString strName, int nValue)
{
    CRegKey key;
    return WriteOpen(*this, strPath, key) && SetInt(key.Get(), strName, nValue);
}

BOOL CRegistry::GetInt(CString strPath, CString strName, int* pnValue)
{
    CRegKey key;
    return ReadOpen(*this, strPath, key) && GetInt(key.Get(), strName, pnValue);
}

BOOL CRegistry::DeleteInt(CString strPath, CString strName)
{
    return DeleteValue(strPath, strName);
}

BOOL CRegistry::SetDword(CString strPath, CString strName, DWORD dwValue)
{
    CRegKey key;
    return WriteOpen(*this, strPath, key) && SetDword(key.Get(), strName, dwValue);
}

BOOL CRegistry::GetDword(CString strPath, CString strName, DWORD* pdwValue)
{
    CRegKey key;
    return ReadOpen(*this, strPath, key) && GetDword(key.Get(), strName, pdwValue);
}

BOOL CRegistry::DeleteDword(CString strPath, CString strName)
{
    return DeleteValue(strPath, strName);
}

BOOL CRegistry::SetWord(CString strPath, CString strName, WORD wValue)
{
    CRegKey key;
    return WriteOpen(*this, strPath, key) && SetWord(key.Get(), strName, wValue);
}

BOOL CRegistry::GetWord(CString strPath, CString strName, WORD* pwValue)
{
    CRegKey key;
    return ReadOpen(*this, strPath, key) && GetWord(key.Get(), strName, pwValue);
}

BOOL CRegistry::DeleteWord(CString strPath, CString strName)
{
    return DeleteValue(strPath, strName);
}

BOOL CRegistry::SetLong(CString strPath, CString strName, long lValue)
{
    return SetInt(strPath, strName, static_cast<int>(lValue));
}

BOOL CRegistry::GetLong(CString strPath, CString strName, long* plValue)
{
    return ReadLongAsInt(plValue, [&](int* pnValue) { return GetInt(strPath, strName, pnValue); });
}

BOOL CRegistry::DeleteLong(CString strPath, CString strName)
{
    return DeleteInt(strPath, strName);
}

// A null pointer fails before anything is opened or created.
BOOL CRegistry::SetBinary(CString strPath, CString strName, const BYTE* pData, DWORD cbData)
{
    if (!pData)
        return FALSE;
    CRegKey key;
    return WriteOpen(*this, strPath, key) && SetBinary(key.Get(), strName, pData, cbData);
}

BOOL CRegistry::GetBinary(CString strPath, CString strName, BYTE* pData, DWORD* pcbData)
{
    if (!pData || !pcbData)
        return FALSE;
    CRegKey key;
    return ReadOpen(*this, strPath, key) && GetBinary(key.Get(), strName, pData, pcbData);
}

BOOL CRegistry::DeleteBinary(CString strPath, CString strName)
{
    return DeleteValue(strPath, strName);
}

BOOL CRegistry::GetValueType(CString strPath, CString strName, DWORD* pdwType)
{
    CRegKey key;
    return ReadOpen(*this, strPath, key) && GetValueType(key.Get(), strName, pdwType);
}

BOOL CRegistry::ValueExists(CString strPath, CString strName)
{
    HKEY hRoot = nullptr;
    CString strSubKey;
    if (!ResolvePath(strPath, &hRoot, &strSubKey))
        return FALSE;
    if (!strName.IsEmpty())
        return ValueExists(hRoot, strSubKey, strName);
    CRegKey key;
    return ReadOpen(hRoot, strSubKey, key);
}
