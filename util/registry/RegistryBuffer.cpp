// Binary values held in a CBinary: written from the bytes a buffer shows, read
// into a buffer sized to the value.
#include "util/registry/Registry.h"

#include "util/registry/RegistryOpen.h"

#include <climits>

using namespace RegistryOpen;

BOOL CRegistry::SetBinary(HKEY hRoot, CString strSubKey, CString strName, CBinary binValue)
{
    CRegKey key;
    return WriteOpen(hRoot, strSubKey, key) && SetBinary(key.Get(), strName, binValue);
}

BOOL CRegistry::SetBinary(HKEY hKey, CString strName, CBinary binValue)
{
    return RegSetValueExA(hKey, strName, 0, REG_BINARY, binValue.GetBytes(),
                          static_cast<DWORD>(binValue.GetLength())) == ERROR_SUCCESS;
}

BOOL CRegistry::SetBinary(CString strPath, CString strName, CBinary binValue)
{
    CRegKey key;
    return WriteOpen(*this, strPath, key) && SetBinary(key.Get(), strName, binValue);
}

// On failure the buffer is empty, unless it is locked.
BOOL CRegistry::GetBinary(HKEY hRoot, CString strSubKey, CString strName, CBinary* pbinValue)
{
    if (!pbinValue)
        return FALSE;
    pbinValue->Clear();
    CRegKey key;
    return ReadOpen(hRoot, strSubKey, key) && GetBinary(key.Get(), strName, pbinValue);
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
// not be resolved.
BOOL CRegistry::GetBinary(CString strPath, CString strName, CBinary* pbinValue)
{
    if (!pbinValue)
        return FALSE;
    CRegKey key;
    bool bResolved = false;
    const bool bOpen = ReadOpen(*this, strPath, key, &bResolved);
    if (bResolved)
        pbinValue->Clear();
    return bOpen && GetBinary(key.Get(), strName, pbinValue);
}
