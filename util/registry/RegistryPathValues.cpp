// Typed values addressed by a path relative to the object's own key: resolve,
// open or create, one open-key operation, close.
#include "util/registry/Registry.h"

// Write-opens, so a missing key is created even though only a value is deleted.
BOOL CRegistry::DeleteValue(CString strPath, CString strName)
{
    CRegKey key;
    return CreateToWrite(strPath, key) && RegDeleteValueA(key.Get(), strName) == ERROR_SUCCESS;
}

BOOL CRegistry::SetString(CString strPath, CString strName, CString strValue)
{
    CRegKey key;
    return CreateToWrite(strPath, key) && SetString(key.Get(), strName, strValue);
}

// On failure the string is empty, unless the path itself could not be
// resolved: once it is, this is the read by root and sub-key, called as this
// class has it whatever a derived class makes of that overload.
BOOL CRegistry::GetString(CString strPath, CString strName, CString* pstrValue)
{
    HKEY hRoot = nullptr;
    CString strSubKey;
    return pstrValue && ResolvePath(strPath, &hRoot, &strSubKey) &&
           CRegistry::GetString(hRoot, strSubKey, strName, pstrValue);
}

BOOL CRegistry::DeleteString(CString strPath, CString strName)
{
    return DeleteValue(strPath, strName);
}

BOOL CRegistry::SetInt(CString strPath, CString strName, int nValue)
{
    CRegKey key;
    return CreateToWrite(strPath, key) && SetInt(key.Get(), strName, nValue);
}

BOOL CRegistry::GetInt(CString strPath, CString strName, int* pnValue)
{
    CRegKey key;
    return OpenToRead(strPath, key) && GetInt(key.Get(), strName, pnValue);
}

BOOL CRegistry::DeleteInt(CString strPath, CString strName)
{
    return DeleteValue(strPath, strName);
}

BOOL CRegistry::SetDword(CString strPath, CString strName, DWORD dwValue)
{
    CRegKey key;
    return CreateToWrite(strPath, key) && SetDword(key.Get(), strName, dwValue);
}

BOOL CRegistry::GetDword(CString strPath, CString strName, DWORD* pdwValue)
{
    CRegKey key;
    return OpenToRead(strPath, key) && GetDword(key.Get(), strName, pdwValue);
}

BOOL CRegistry::DeleteDword(CString strPath, CString strName)
{
    return DeleteValue(strPath, strName);
}

BOOL CRegistry::SetWord(CString strPath, CString strName, WORD wValue)
{
    CRegKey key;
    return CreateToWrite(strPath, key) && SetWord(key.Get(), strName, wValue);
}

BOOL CRegistry::GetWord(CString strPath, CString strName, WORD* pwValue)
{
    CRegKey key;
    return OpenToRead(strPath, key) && GetWord(key.Get(), strName, pwValue);
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
    return CreateToWrite(strPath, key) && SetBinary(key.Get(), strName, pData, cbData);
}

BOOL CRegistry::GetBinary(CString strPath, CString strName, BYTE* pData, DWORD* pcbData)
{
    if (!pData || !pcbData)
        return FALSE;
    CRegKey key;
    return OpenToRead(strPath, key) && GetBinary(key.Get(), strName, pData, pcbData);
}

BOOL CRegistry::DeleteBinary(CString strPath, CString strName)
{
    return DeleteValue(strPath, strName);
}

BOOL CRegistry::GetValueType(CString strPath, CString strName, DWORD* pdwType)
{
    CRegKey key;
    return OpenToRead(strPath, key) && GetValueType(key.Get(), strName, pdwType);
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
    return OpenToRead(hRoot, strSubKey, key);
}
