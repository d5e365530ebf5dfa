// Binary values held in a CBinary: written from the bytes a buffer shows, read
// into a buffer sized to the value.
#include "util/registry/Registry.h"

#include <climits>

BOOL CRegistry::SetBinary(HKEY hRoot, CString strSubKey, CString strName, CBinary binValue)
{
    CRegKey key;
    return CreateToWrite(hRoot, strSubKey, key) && SetBinary(key.Get(), strName, binValue);
}

BOOL CRegistry::SetBinary(HKEY hKey, CString strName, CBinary binValue)
{
    return RegSetValueExA(hKey, strName, 0, REG_BINARY, binValue.GetBytes(),
                          static_cast<DWORD>(binValue.GetLength())) == ERROR_SUCCESS;
}

BOOL CRegistry::SetBinary(CString strPath, CString strName, CBinary binValue)
{
    CRegKey key;
    return CreateToWrite(strPath, key) && SetBinary(key.Get(), strName, binValue);
}

// On failure the buffer is empty, unless it is locked.
BOOL CRegistry::GetBinary(HKEY hRoot, CString strSubKey, CString strName, CBinary* pbinValue)
{
    if (!pbinValue)
        return FALSE;
    pbinValue->Clear();
    CRegKey key;
    return OpenToRead(hRoot, strSubKey, key) && GetBinary(key.Get(), strName, pbinValue);
}

// The type is not checked: a REG_SZ "ab" reads as 61 62 00. The registry is
// given the buffer's own length as its capacity, so it never writes past the
// end. A locked buffer keeps its length: the value is read whole into a buffer
// of its own and copied into it as far as it fits, as Copy does, and the rest
// of its bytes stay. On failure an unlocked buffer is empty.
BOOL CRegistry::GetBinary(HKEY hKey, CString strName, CBinary* pbinValue)
{
    if (!pbinValue)
        return FALSE;
    pbinValue->Clear();
    DWORD cbSize = 0;
    if (RegQueryValueExA(hKey, strName, nullptr, nullptr, nullptr, &cbSize) != ERROR_SUCCESS ||
        cbSize > INT_MAX)
        return FALSE;
    CBinary binRead;
    CBinary* pTarget = pbinValue->IsLocked() ? &binRead : pbinValue;
    DWORD cbRead = 0;
    if (pTarget->SetLength(static_cast<int>(cbSize)))
        cbRead = static_cast<DWORD>(pTarget->GetLength());
    if (cbRead != cbSize || RegQueryValueExA(hKey, strName, nullptr, nullptr, pTarget->GetBytes(),
                                             &cbRead) != ERROR_SUCCESS) {
        pbinValue->Clear();
        return FALSE;
    }
    if (cbRead < cbSize) // shrank since the size query
        pTarget->SetLength(static_cast<int>(cbRead));
    return pTarget == pbinValue ? TRUE : pbinValue->Copy(binRead);
}

// On failure the buffer is empty, unless it is locked or the path itself could
// not be resolved: once it is, this is the read by root and sub-key, as for
// GetString.
BOOL CRegistry::GetBinary(CString strPath, CString strName, CBinary* pbinValue)
{
    HKEY hRoot = nullptr;
    CString strSubKey;
    return pbinValue && ResolvePath(strPath, &hRoot, &strSubKey) &&
           CRegistry::GetBinary(hRoot, strSubKey, strName, pbinValue);
}
