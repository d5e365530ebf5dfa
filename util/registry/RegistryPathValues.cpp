// Typed values addressed by a path relative to the object's own key: resolve,
// open or create, one open-key operation, close.
#include "util/registry/Registry.h"

#include "util/registry/RegistryCalls.h"

using namespace RegistryCalls;

// Write-opens, so a missing key is created even though only a value is deleted.
BOOL CRegistry::DeleteValue(CString strPath, CString strName)
{
    CRegKey key;
    if (!WriteOpen(*this, strPath, key))
        return FALSE;
    return RegDeleteValueA(key.Get(), strName) == ERROR_SUCCESS;
}

BOOL CRegistry::SetString(CString strPath, CString strName, CString strValue)
{
    return CallOnWriteOpenedPath(*this, strPath, &CRegistry::SetString, strName, strValue);
}

// On failure the string is empty, unless the path itself could not be resolved.
BOOL CRegistry::GetString(CString strPath, CString strName, CString* pstrValue)
{
    if (!pstrValue)
        return FALSE;
    return CallOnReadOpenedPathPrepared(
        *this, strPath, [pstrValue] { pstrValue->Empty(); }, &CRegistry::GetString, strName,
        pstrValue);
}

BOOL CRegistry::DeleteString(CString strPath, CString strName)
{
    return DeleteValue(strPath, strName);
}

BOOL CRegistry::SetInt(CString strPath, CString strName, int nValue)
{
    return CallOnWriteOpenedPath(*this, strPath, &CRegistry::SetInt, strName, nValue);
}

BOOL CRegistry::GetInt(CString strPath, CString strName, int* pnValue)
{
    return CallOnReadOpenedPath(*this, strPath, &CRegistry::GetInt, strName, pnValue);
}

BOOL CRegistry::DeleteInt(CString strPath, CString strName)
{
    return DeleteValue(strPath, strName);
}

BOOL CRegistry::SetDword(CString strPath, CString strName, DWORD dwValue)
{
    return CallOnWriteOpenedPath(*this, strPath, &CRegistry::SetDword, strName, dwValue);
}

BOOL CRegistry::GetDword(CString strPath, CString strName, DWORD* pdwValue)
{
    return CallOnReadOpenedPath(*this, strPath, &CRegistry::GetDword, strName, pdwValue);
}

BOOL CRegistry::DeleteDword(CString strPath, CString strName)
{
    return DeleteValue(strPath, strName);
}

BOOL CRegistry::SetWord(CString strPath, CString strName, WORD wValue)
{
    return CallOnWriteOpenedPath(*this, strPath, &CRegistry::SetWord, strName, wValue);
}

BOOL CRegistry::GetWord(CString strPath, CString strName, WORD* pwValue)
{
    return CallOnReadOpenedPath(*this, strPath, &CRegistry::GetWord, strName, pwValue);
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
    return CallOnWriteOpenedPath(*this, strPath, &CRegistry::SetBinary, strName, pData, cbData);
}

BOOL CRegistry::GetBinary(CString strPath, CString strName, BYTE* pData, DWORD* pcbData)
{
    if (!pData || !pcbData)
        return FALSE;
    return CallOnReadOpenedPath(*this, strPath, &CRegistry::GetBinary, strName, pData, pcbData);
}

BOOL CRegistry::DeleteBinary(CString strPath, CString strName)
{
    return DeleteValue(strPath, strName);
}

BOOL CRegistry::GetValueType(CString strPath, CString strName, DWORD* pdwType)
{
    return CallOnReadOpenedPath(*this, strPath, &CRegistry::GetValueType, strName, pdwType);
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
    return key.Open(hRoot, strSubKey, kReadAccess) == ERROR_SUCCESS;
}
