#include "search/Settings.h"

#include "util/registry/Registry.h"

namespace {

bool HasType(CRegistry& reg, const CString& strPath, const CString& strName, DWORD dwWanted)
{
    DWORD dwType = REG_NONE;
    return reg.GetValueType(strPath, strName, &dwType) && dwType == dwWanted;
}

} // namespace

// A REG_DWORD shorter than 4 bytes fills only the low bytes, so the value is
// read into a zeroed variable and handed on only on success.
BOOL ReadStoredDword(CRegistry& reg, CString strPath, CString strName, DWORD* pdwValue)
{
    DWORD dw = 0;
    if (!HasType(reg, strPath, strName, REG_DWORD) || !reg.GetDword(strPath, strName, &dw))
        return FALSE;
    *pdwValue = dw;
    return TRUE;
}

BOOL ReadStoredInt(CRegistry& reg, CString strPath, CString strName, int* pnValue)
{
    int n = 0;
    if (!HasType(reg, strPath, strName, REG_DWORD) || !reg.GetInt(strPath, strName, &n))
        return FALSE;
    *pnValue = n;
    return TRUE;
}

// The receiving string is empty after a failure.
BOOL ReadStoredString(CRegistry& reg, CString strPath, CString strName, CString* pstrValue)
{
    pstrValue->Empty();
    if (!HasType(reg, strPath, strName, REG_SZ))
        return FALSE;
    return reg.GetString(strPath, strName, pstrValue);
}
