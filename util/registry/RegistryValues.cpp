// Typed values through a root key and sub-key, or through a key the caller
// holds open.
#include "util/registry/Registry.h"

#include <cstring>

namespace {

// Settings strings are short; a larger value is not one of ours and is
// refused rather than allocated.
const DWORD kMaxStringBytes = 16 * 1024 * 1024;

// A value may change size between the size query and the read.
const int kStringReadAttempts = 8;

// Every integer group stores 4 bytes as REG_DWORD; a WORD is zero-extended.
BOOL WriteDword(HKEY hKey, const CString& strName, DWORD dwValue)
{
    return RegSetValueExA(hKey, strName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dwValue),
                          sizeof(dwValue)) == ERROR_SUCCESS;
}

// Reads up to 4 bytes into an integer of the caller. The type is not checked.
// Data shorter than 4 bytes replace only that many low-order bytes; longer
// data fail. If the call fails, the value is left unchanged (the read goes
// through a copy, so a refused read cannot leave part of the data behind).
template <typename T> BOOL ReadDword(HKEY hKey, const CString& strName, T* pValue)
{
    if (!pValue)
        return FALSE;
    DWORD dwRead = static_cast<DWORD>(*pValue);
    DWORD dwType = REG_DWORD;
    DWORD cbData = sizeof(DWORD);
    if (RegQueryValueExA(hKey, strName, nullptr, &dwType, reinterpret_cast<BYTE*>(&dwRead),
                         &cbData) != ERROR_SUCCESS)
        return FALSE;
    *pValue = static_cast<T>(dwRead);
    return TRUE;
}

} // namespace

// A missing key gives 0 and is not created.
BOOL CRegistry::DeleteValue(HKEY hRoot, CString strSubKey, CString strName)
{
    CRegKey key;
    return OpenToChange(hRoot, strSubKey, key) && DeleteValue(key.Get(), strName);
}

BOOL CRegistry::DeleteValue(HKEY hKey, CString strName)
{
    return RegDeleteValueA(hKey, strName) == ERROR_SUCCESS;
}

BOOL CRegistry::SetString(HKEY hRoot, CString strSubKey, CString strName, CString strValue)
{
    CRegKey key;
    return CreateToWrite(hRoot, strSubKey, key) && SetString(key.Get(), strName, strValue);
}

// The terminating zero is stored with the text.
BOOL CRegistry::SetString(HKEY hKey, CString strName, CString strValue)
{
    return RegSetValueExA(hKey, strName, 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(strValue.GetString()),
                          static_cast<DWORD>(strValue.GetLength()) + 1) == ERROR_SUCCESS;
}

// On failure the string is empty.
BOOL CRegistry::GetString(HKEY hRoot, CString strSubKey, CString strName, CString* pstrValue)
{
    if (!pstrValue)
        return FALSE;
    pstrValue->Empty();
    CRegKey key;
    return OpenToRead(hRoot, strSubKey, key) && GetString(key.Get(), strName, pstrValue);
}

// The type is not checked: a REG_DWORD 0x41 reads as "A", a REG_MULTI_SZ as its
// first string. The text ends at the first zero byte or at the end of the
// stored data, whichever comes first, so data stored without a terminating
// zero are never read past. If the call fails, the string is left unchanged.
BOOL CRegistry::GetString(HKEY hKey, CString strName, CString* pstrValue)
{
    if (!pstrValue)
        return FALSE;
    for (int nAttempt = 0; nAttempt < kStringReadAttempts; ++nAttempt) {
        DWORD cbSize = 0;
        if (RegQueryValueExA(hKey, strName, nullptr, nullptr, nullptr, &cbSize) != ERROR_SUCCESS)
            return FALSE;
        if (cbSize > kMaxStringBytes)
            return FALSE;
        CString strRead;
        char* pBuffer = strRead.GetBufferSetLength(static_cast<int>(cbSize));
        DWORD cbRead = cbSize;
        LONG lResult = RegQueryValueExA(hKey, strName, nullptr, nullptr,
                                        reinterpret_cast<BYTE*>(pBuffer), &cbRead);
        if (lResult == ERROR_MORE_DATA)
            continue; // grew since the size query: measure again
        if (lResult != ERROR_SUCCESS)
            return FALSE;
        if (cbRead > cbSize)
            cbRead = cbSize;
        strRead.ReleaseBuffer(static_cast<int>(strnlen(pBuffer, cbRead)));
        *pstrValue = strRead;
        return TRUE;
    }
    return FALSE;
}

BOOL CRegistry::DeleteString(HKEY hRoot, CString strSubKey, CString strName)
{
    return DeleteValue(hRoot, strSubKey, strName);
}

BOOL CRegistry::DeleteString(HKEY hKey, CString strName)
{
    return DeleteValue(hKey, strName);
}

BOOL CRegistry::SetInt(HKEY hRoot, CString strSubKey, CString strName, int nValue)
{
    CRegKey key;
    return CreateToWrite(hRoot, strSubKey, key) && SetInt(key.Get(), strName, nValue);
}

BOOL CRegistry::SetInt(HKEY hKey, CString strName, int nValue)
{
    return WriteDword(hKey, strName, static_cast<DWORD>(nValue));
}

BOOL CRegistry::GetInt(HKEY hRoot, CString strSubKey, CString strName, int* pnValue)
{
    CRegKey key;
    return OpenToRead(hRoot, strSubKey, key) && GetInt(key.Get(), strName, pnValue);
}

BOOL CRegistry::GetInt(HKEY hKey, CString strName, int* pnValue)
{
    return ReadDword(hKey, strName, pnValue);
}

BOOL CRegistry::DeleteInt(HKEY hRoot, CString strSubKey, CString strName)
{
    CRegKey key;
    return OpenToChange(hRoot, strSubKey, key) && DeleteInt(key.Get(), strName);
}

BOOL CRegistry::DeleteInt(HKEY hKey, CString strName)
{
    return DeleteValue(hKey, strName);
}

BOOL CRegistry::SetDword(HKEY hRoot, CString strSubKey, CString strName, DWORD dwValue)
{
    CRegKey key;
    return CreateToWrite(hRoot, strSubKey, key) && SetDword(key.Get(), strName, dwValue);
}

BOOL CRegistry::SetDword(HKEY hKey, CString strName, DWORD dwValue)
{
    return WriteDword(hKey, strName, dwValue);
}

BOOL CRegistry::GetDword(HKEY hRoot, CString strSubKey, CString strName, DWORD* pdwValue)
{
    CRegKey key;
    return OpenToRead(hRoot, strSubKey, key) && GetDword(key.Get(), strName, pdwValue);
}

BOOL CRegistry::GetDword(HKEY hKey, CString strName, DWORD* pdwValue)
{
    return ReadDword(hKey, strName, pdwValue);
}

BOOL CRegistry::DeleteDword(HKEY hRoot, CString strSubKey, CString strName)
{
    CRegKey key;
    return OpenToChange(hRoot, strSubKey, key) && DeleteDword(key.Get(), strName);
}

BOOL CRegistry::DeleteDword(HKEY hKey, CString strName)
{
    return DeleteValue(hKey, strName);
}

BOOL CRegistry::SetWord(HKEY hRoot, CString strSubKey, CString strName, WORD wValue)
{
    CRegKey key;
    return CreateToWrite(hRoot, strSubKey, key) && SetWord(key.Get(), strName, wValue);
}

BOOL CRegistry::SetWord(HKEY hKey, CString strName, WORD wValue)
{
    return WriteDword(hKey, strName, wValue);
}

BOOL CRegistry::GetWord(HKEY hRoot, CString strSubKey, CString strName, WORD* pwValue)
{
    CRegKey key;
    return OpenToRead(hRoot, strSubKey, key) && GetWord(key.Get(), strName, pwValue);
}

// Keeps the low 16 bits; a 1-byte value replaces only the low byte.
BOOL CRegistry::GetWord(HKEY hKey, CString strName, WORD* pwValue)
{
    return ReadDword(hKey, strName, pwValue);
}

BOOL CRegistry::DeleteWord(HKEY hRoot, CString strSubKey, CString strName)
{
    return DeleteValue(hRoot, strSubKey, strName);
}

BOOL CRegistry::DeleteWord(HKEY hKey, CString strName)
{
    return DeleteValue(hKey, strName);
}

BOOL CRegistry::SetLong(HKEY hRoot, CString strSubKey, CString strName, long lValue)
{
    return SetInt(hRoot, strSubKey, strName, static_cast<int>(lValue));
}

BOOL CRegistry::SetLong(HKEY hKey, CString strName, long lValue)
{
    return SetInt(hKey, strName, static_cast<int>(lValue));
}

BOOL CRegistry::GetLong(HKEY hRoot, CString strSubKey, CString strName, long* plValue)
{
    return ReadLongAsInt(plValue,
                         [&](int* pnValue) { return GetInt(hRoot, strSubKey, strName, pnValue); });
}

BOOL CRegistry::GetLong(HKEY hKey, CString strName, long* plValue)
{
    return ReadLongAsInt(plValue, [&](int* pnValue) { return GetInt(hKey, strName, pnValue); });
}

BOOL CRegistry::DeleteLong(HKEY hRoot, CString strSubKey, CString strName)
{
    return DeleteInt(hRoot, strSubKey, strName);
}

BOOL CRegistry::DeleteLong(HKEY hKey, CString strName)
{
    return DeleteInt(hKey, strName);
}

// The key is created before the bytes are looked at: a null pointer still
// leaves a created key behind.
BOOL CRegistry::SetBinary(HKEY hRoot, CString strSubKey, CString strName, const BYTE* pData,
                          DWORD cbData)
{
    CRegKey key;
    return CreateToWrite(hRoot, strSubKey, key) && SetBinary(key.Get(), strName, pData, cbData);
}

BOOL CRegistry::SetBinary(HKEY hKey, CString strName, const BYTE* pData, DWORD cbData)
{
    if (!pData)
        return FALSE;
    return RegSetValueExA(hKey, strName, 0, REG_BINARY, pData, cbData) == ERROR_SUCCESS;
}

BOOL CRegistry::GetBinary(HKEY hRoot, CString strSubKey, CString strName, BYTE* pData,
                          DWORD* pcbData)
{
    CRegKey key;
    return OpenToRead(hRoot, strSubKey, key) && GetBinary(key.Get(), strName, pData, pcbData);
}

// Data larger than the capacity give 0 and are not copied; *pcbData then
// holds the size needed.
BOOL CRegistry::GetBinary(HKEY hKey, CString strName, BYTE* pData, DWORD* pcbData)
{
    if (!pData || !pcbData)
        return FALSE;
    return RegQueryValueExA(hKey, strName, nullptr, nullptr, pData, pcbData) == ERROR_SUCCESS;
}

BOOL CRegistry::DeleteBinary(HKEY hRoot, CString strSubKey, CString strName)
{
    return DeleteValue(hRoot, strSubKey, strName);
}

BOOL CRegistry::DeleteBinary(HKEY hKey, CString strName)
{
    return DeleteValue(hKey, strName);
}

BOOL CRegistry::GetValueType(HKEY hRoot, CString strSubKey, CString strName, DWORD* pdwType)
{
    CRegKey key;
    return OpenToRead(hRoot, strSubKey, key) && GetValueType(key.Get(), strName, pdwType);
}

// If the call fails, the type is left unchanged.
BOOL CRegistry::GetValueType(HKEY hKey, CString strName, DWORD* pdwType)
{
    if (!pdwType)
        return FALSE;
    DWORD dwType = *pdwType;
    DWORD cbData = sizeof(DWORD);
    if (RegQueryValueExA(hKey, strName, nullptr, &dwType, nullptr, &cbData) != ERROR_SUCCESS)
        return FALSE;
    *pdwType = dwType;
    return TRUE;
}

// An empty name asks only whether the key exists.
BOOL CRegistry::ValueExists(HKEY hRoot, CString strSubKey, CString strName)
{
    CRegKey key;
    if (!OpenToRead(hRoot, strSubKey, key))
        return FALSE;
    if (strName.IsEmpty())
        return TRUE;
    return ValueExists(key.Get(), strName) ? TRUE : FALSE;
}

// An empty name is the key's default value.
BOOL CRegistry::ValueExists(HKEY hKey, CString strName)
{
    DWORD dwType = 0;
    return GetValueType(hKey, strName, &dwType);
}

BOOL CRegistry::ReservedA(DWORD, CString, DWORD)
{
    return TRUE;
}

BOOL CRegistry::ReservedB(DWORD, CString, DWORD)
{
    return TRUE;
}

BOOL CRegistry::ReservedC(DWORD, CString, DWORD, DWORD)
{
    return TRUE;
}
