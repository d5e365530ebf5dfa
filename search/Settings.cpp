#include "search/Settings.h"

#include "util/registry/RegKey.h"
#include "util/registry/Registry.h"

namespace {

DWORD StoredType(const CString*)
{
    return REG_SZ;
}

template <typename T> DWORD StoredType(const T*)
{
    return REG_DWORD;
}

BOOL ReadFromKey(CRegistry& reg, HKEY hKey, const CString& strName, DWORD* pdwValue)
{
    return reg.GetDword(hKey, strName, pdwValue);
}

BOOL ReadFromKey(CRegistry& reg, HKEY hKey, const CString& strName, int* pnValue)
{
    return reg.GetInt(hKey, strName, pnValue);
}

BOOL ReadFromKey(CRegistry& reg, HKEY hKey, const CString& strName, CString* pstrValue)
{
    return reg.GetString(hKey, strName, pstrValue);
}

} // namespace

// A REG_DWORD shorter than 4 bytes fills only the low bytes, so the value is
// read into a zeroed variable and handed on only on success.
template <typename T>
BOOL ReadStored(CRegistry& reg, const CString& strPath, const CString& strName, T* pValue)
{
    HKEY hRoot = nullptr;
    CString strSubKey;
    CRegKey key;
    DWORD dwType = REG_NONE;
    T value{};
    if (!reg.ResolvePath(strPath, &hRoot, &strSubKey) ||
        key.Open(hRoot, strSubKey, KEY_READ) != ERROR_SUCCESS ||
        !reg.GetValueType(key.Get(), strName, &dwType) || dwType != StoredType(pValue) ||
        !ReadFromKey(reg, key.Get(), strName, &value))
        return FALSE;
    *pValue = value;
    return TRUE;
}

template BOOL ReadStored(CRegistry&, const CString&, const CString&, DWORD*);
template BOOL ReadStored(CRegistry&, const CString&, const CString&, int*);
template BOOL ReadStored(CRegistry&, const CString&, const CString&, CString*);
