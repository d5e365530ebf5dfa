#include "util/registry/Registry.h"

#include "framework/MbString.h"
#include "util/registry/RegKey.h"

#include <cstring>

namespace {

const REGSAM kReadAccess = KEY_READ;
const REGSAM kDeleteAccess = KEY_READ | KEY_WRITE;

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

// Settings strings are short; a larger value is not one of ours and is
// refused rather than allocated.
const DWORD kMaxStringBytes = 16 * 1024 * 1024;

// A value may change size between the size query and the read.
const int kStringReadAttempts = 8;

// Resolves a path and creates its key below an opened root, as every writing
// path operation does.
BOOL WriteOpen(CRegistry& reg, const CString& strPath, CRegKey& key)
{
    HKEY hRoot = nullptr;
    CString strSubKey;
    if (!reg.ResolvePath(strPath, &hRoot, &strSubKey))
        return FALSE;
    CRegKey root;
    if (root.Open(hRoot, "", kDeleteAccess) != ERROR_SUCCESS)
        return FALSE;
    return key.Create(root.Get(), strSubKey) == ERROR_SUCCESS;
}

// Keeps the open-key overload's further parameters out of deduction: they are
// taken from the arguments, and the overload is then picked by its type.
template <typename T> struct NonDeduced {
    using Type = T;
};

template <typename... Params>
using OpenKeyOverload = BOOL (CRegistry::*)(HKEY, CString, typename NonDeduced<Params>::Type...);

// The open-key overload is called through the table of virtual functions, so
// a derived class that overrides it changes the other two overloads with it.
template <typename... Params>
BOOL CallOpenKey(CRegistry& reg, OpenKeyOverload<Params...> pfn, HKEY hKey, const CString& strName,
                 Params... args)
{
    return (reg.*pfn)(hKey, strName, args...) ? TRUE : FALSE;
}

// Root-plus-sub-key writes: missing keys on the way are created first.
template <typename... Params>
BOOL CallOnCreatedKey(CRegistry& reg, HKEY hRoot, const CString& strSubKey,
                      OpenKeyOverload<Params...> pfn, const CString& strName, Params... args)
{
    CRegKey key;
    if (key.Create(hRoot, strSubKey) != ERROR_SUCCESS)
        return FALSE;
    return CallOpenKey(reg, pfn, key.Get(), strName, args...);
}

// Root-plus-sub-key reads and deletes: a missing key gives 0, is not created,
// and the open-key overload is not called, so its output stays as it was.
template <typename... Params>
BOOL CallOnOpenedKey(CRegistry& reg, HKEY hRoot, const CString& strSubKey, REGSAM samDesired,
                     OpenKeyOverload<Params...> pfn, const CString& strName, Params... args)
{
    CRegKey key;
    if (key.Open(hRoot, strSubKey, samDesired) != ERROR_SUCCESS)
        return FALSE;
    return CallOpenKey(reg, pfn, key.Get(), strName, args...);
}

template <typename... Params>
BOOL CallOnWriteOpenedPath(CRegistry& reg, const CString& strPath, OpenKeyOverload<Params...> pfn,
                           const CString& strName, Params... args)
{
    CRegKey key;
    if (!WriteOpen(reg, strPath, key))
        return FALSE;
    return CallOpenKey(reg, pfn, key.Get(), strName, args...);
}

// Reading by path opens the resolved key directly under its root and never
// creates anything.
template <typename... Params>
BOOL CallOnReadOpenedPath(CRegistry& reg, const CString& strPath, OpenKeyOverload<Params...> pfn,
                          const CString& strName, Params... args)
{
    HKEY hRoot = nullptr;
    CString strSubKey;
    if (!reg.ResolvePath(strPath, &hRoot, &strSubKey))
        return FALSE;
    return CallOnOpenedKey(reg, hRoot, strSubKey, kReadAccess, pfn, strName, args...);
}

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

// The long group is the int group under another type. The int read works on a
// copy, which goes back whatever the result, so the long sees exactly what an
// int would.
template <typename ReadInt> BOOL ReadLongAsInt(long* plValue, ReadInt readInt)
{
    if (!plValue)
        return FALSE;
    int nValue = static_cast<int>(*plValue);
    BOOL bResult = readInt(&nValue);
    *plValue = nValue;
    return bResult;
}

} // namespace

CRegistry::CRegistry(CString strPath) : m_bValid(FALSE), m_hRoot(nullptr)
{
    SetPath(strPath);
}

CRegistry::~CRegistry() = default;

// ---------------------------------------------------------------- paths

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

// Blanks around and backslashes at both ends go; a backslash that is the
// second byte of a double-byte character is part of the name and stays.
CString& CRegistry::NormalizePath(CString& strPath)
{
    strPath.TrimLeft();
    strPath.TrimRight();
    int nLeading = 0;
    while (nLeading < strPath.GetLength() && strPath.GetAt(nLeading) == '\\')
        ++nLeading;
    if (nLeading > 0)
        strPath.Delete(0, nLeading);

    const char* p = strPath;
    const int nLength = strPath.GetLength();
    int nKeep = 0;
    for (int i = 0; i < nLength;) {
        const bool bLead = MbIsLeadByte(static_cast<unsigned char>(p[i])) && i + 1 < nLength;
        const int nChar = bLead ? 2 : 1;
        if (bLead || p[i] != '\\')
            nKeep = i + nChar;
        i += nChar;
    }
    if (nKeep < nLength)
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
            // The byte after the name, normally the separator, is skipped unexamined.
            if (strPath.GetLength() > root.nLength + 1)
                *pstrSubKey = strPath.Mid(root.nLength + 1);
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

// ---------------------------------------------------------------- keys

// An existing key counts as created and is left as it is.
BOOL CRegistry::CreateKey(HKEY hRoot, CString strSubKey)
{
    CRegKey key;
    return key.Create(hRoot, strSubKey) == ERROR_SUCCESS;
}

BOOL CRegistry::CreateKey(CString strPath)
{
    CRegKey key;
    return WriteOpen(*this, strPath, key);
}

// Not guarded against protected names; only the path overload is.
BOOL CRegistry::DeleteKey(HKEY hRoot, CString strSubKey)
{
    return DeleteTree(hRoot, strSubKey);
}

// ---------------------------------------------------------------- any value

// A missing key gives 0 and is not created.
BOOL CRegistry::DeleteValue(HKEY hRoot, CString strSubKey, CString strName)
{
    return CallOnOpenedKey(*this, hRoot, strSubKey, kDeleteAccess, &CRegistry::DeleteValue,
                           strName);
}

BOOL CRegistry::DeleteValue(HKEY hKey, CString strName)
{
    return RegDeleteValueA(hKey, strName) == ERROR_SUCCESS;
}

// Write-opens, so a missing key is created even though only a value is deleted.
BOOL CRegistry::DeleteValue(CString strPath, CString strName)
{
    CRegKey key;
    if (!WriteOpen(*this, strPath, key))
        return FALSE;
    return RegDeleteValueA(key.Get(), strName) == ERROR_SUCCESS;
}

// ---------------------------------------------------------------- strings

BOOL CRegistry::SetString(HKEY hRoot, CString strSubKey, CString strName, CString strValue)
{
    return CallOnCreatedKey(*this, hRoot, strSubKey, &CRegistry::SetString, strName, strValue);
}

// The terminating zero is stored with the text.
BOOL CRegistry::SetString(HKEY hKey, CString strName, CString strValue)
{
    return RegSetValueExA(hKey, strName, 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(strValue.GetString()),
                          static_cast<DWORD>(strValue.GetLength()) + 1) == ERROR_SUCCESS;
}

BOOL CRegistry::SetString(CString strPath, CString strName, CString strValue)
{
    return CallOnWriteOpenedPath(*this, strPath, &CRegistry::SetString, strName, strValue);
}

// On failure the string is empty.
BOOL CRegistry::GetString(HKEY hRoot, CString strSubKey, CString strName, CString* pstrValue)
{
    if (!pstrValue)
        return FALSE;
    pstrValue->Empty();
    return CallOnOpenedKey(*this, hRoot, strSubKey, kReadAccess, &CRegistry::GetString, strName,
                           pstrValue);
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

// On failure the string is empty, unless the path itself could not be resolved.
BOOL CRegistry::GetString(CString strPath, CString strName, CString* pstrValue)
{
    HKEY hRoot = nullptr;
    CString strSubKey;
    if (!pstrValue || !ResolvePath(strPath, &hRoot, &strSubKey))
        return FALSE;
    pstrValue->Empty();
    return CallOnOpenedKey(*this, hRoot, strSubKey, kReadAccess, &CRegistry::GetString, strName,
                           pstrValue);
}

BOOL CRegistry::DeleteString(HKEY hRoot, CString strSubKey, CString strName)
{
    return DeleteValue(hRoot, strSubKey, strName);
}

BOOL CRegistry::DeleteString(HKEY hKey, CString strName)
{
    return DeleteValue(hKey, strName);
}

BOOL CRegistry::DeleteString(CString strPath, CString strName)
{
    return DeleteValue(strPath, strName);
}

// ---------------------------------------------------------------- int

BOOL CRegistry::SetInt(HKEY hRoot, CString strSubKey, CString strName, int nValue)
{
    return CallOnCreatedKey(*this, hRoot, strSubKey, &CRegistry::SetInt, strName, nValue);
}

BOOL CRegistry::SetInt(HKEY hKey, CString strName, int nValue)
{
    return WriteDword(hKey, strName, static_cast<DWORD>(nValue));
}

BOOL CRegistry::SetInt(CString strPath, CString strName, int nValue)
{
    return CallOnWriteOpenedPath(*this, strPath, &CRegistry::SetInt, strName, nValue);
}

BOOL CRegistry::GetInt(HKEY hRoot, CString strSubKey, CString strName, int* pnValue)
{
    return CallOnOpenedKey(*this, hRoot, strSubKey, kReadAccess, &CRegistry::GetInt, strName,
                           pnValue);
}

BOOL CRegistry::GetInt(HKEY hKey, CString strName, int* pnValue)
{
    return ReadDword(hKey, strName, pnValue);
}

BOOL CRegistry::GetInt(CString strPath, CString strName, int* pnValue)
{
    return CallOnReadOpenedPath(*this, strPath, &CRegistry::GetInt, strName, pnValue);
}

BOOL CRegistry::DeleteInt(HKEY hRoot, CString strSubKey, CString strName)
{
    return CallOnOpenedKey(*this, hRoot, strSubKey, kDeleteAccess, &CRegistry::DeleteInt, strName);
}

BOOL CRegistry::DeleteInt(HKEY hKey, CString strName)
{
    return DeleteValue(hKey, strName);
}

BOOL CRegistry::DeleteInt(CString strPath, CString strName)
{
    return DeleteValue(strPath, strName);
}

// ---------------------------------------------------------------- DWORD

BOOL CRegistry::SetDword(HKEY hRoot, CString strSubKey, CString strName, DWORD dwValue)
{
    return CallOnCreatedKey(*this, hRoot, strSubKey, &CRegistry::SetDword, strName, dwValue);
}

BOOL CRegistry::SetDword(HKEY hKey, CString strName, DWORD dwValue)
{
    return WriteDword(hKey, strName, dwValue);
}

BOOL CRegistry::SetDword(CString strPath, CString strName, DWORD dwValue)
{
    return CallOnWriteOpenedPath(*this, strPath, &CRegistry::SetDword, strName, dwValue);
}

BOOL CRegistry::GetDword(HKEY hRoot, CString strSubKey, CString strName, DWORD* pdwValue)
{
    return CallOnOpenedKey(*this, hRoot, strSubKey, kReadAccess, &CRegistry::GetDword, strName,
                           pdwValue);
}

BOOL CRegistry::GetDword(HKEY hKey, CString strName, DWORD* pdwValue)
{
    return ReadDword(hKey, strName, pdwValue);
}

BOOL CRegistry::GetDword(CString strPath, CString strName, DWORD* pdwValue)
{
    return CallOnReadOpenedPath(*this, strPath, &CRegistry::GetDword, strName, pdwValue);
}

BOOL CRegistry::DeleteDword(HKEY hRoot, CString strSubKey, CString strName)
{
    return CallOnOpenedKey(*this, hRoot, strSubKey, kDeleteAccess, &CRegistry::DeleteDword,
                           strName);
}

BOOL CRegistry::DeleteDword(HKEY hKey, CString strName)
{
    return DeleteValue(hKey, strName);
}

BOOL CRegistry::DeleteDword(CString strPath, CString strName)
{
    return DeleteValue(strPath, strName);
}

// ---------------------------------------------------------------- WORD

BOOL CRegistry::SetWord(HKEY hRoot, CString strSubKey, CString strName, WORD wValue)
{
    return CallOnCreatedKey(*this, hRoot, strSubKey, &CRegistry::SetWord, strName, wValue);
}

BOOL CRegistry::SetWord(HKEY hKey, CString strName, WORD wValue)
{
    return WriteDword(hKey, strName, wValue);
}

BOOL CRegistry::SetWord(CString strPath, CString strName, WORD wValue)
{
    return CallOnWriteOpenedPath(*this, strPath, &CRegistry::SetWord, strName, wValue);
}

BOOL CRegistry::GetWord(HKEY hRoot, CString strSubKey, CString strName, WORD* pwValue)
{
    return CallOnOpenedKey(*this, hRoot, strSubKey, kReadAccess, &CRegistry::GetWord, strName,
                           pwValue);
}

// Keeps the low 16 bits; a 1-byte value replaces only the low byte.
BOOL CRegistry::GetWord(HKEY hKey, CString strName, WORD* pwValue)
{
    return ReadDword(hKey, strName, pwValue);
}

BOOL CRegistry::GetWord(CString strPath, CString strName, WORD* pwValue)
{
    return CallOnReadOpenedPath(*this, strPath, &CRegistry::GetWord, strName, pwValue);
}

BOOL CRegistry::DeleteWord(HKEY hRoot, CString strSubKey, CString strName)
{
    return DeleteValue(hRoot, strSubKey, strName);
}

BOOL CRegistry::DeleteWord(HKEY hKey, CString strName)
{
    return DeleteValue(hKey, strName);
}

BOOL CRegistry::DeleteWord(CString strPath, CString strName)
{
    return DeleteValue(strPath, strName);
}

// ---------------------------------------------------------------- long

BOOL CRegistry::SetLong(HKEY hRoot, CString strSubKey, CString strName, long lValue)
{
    return SetInt(hRoot, strSubKey, strName, static_cast<int>(lValue));
}

BOOL CRegistry::SetLong(HKEY hKey, CString strName, long lValue)
{
    return SetInt(hKey, strName, static_cast<int>(lValue));
}

BOOL CRegistry::SetLong(CString strPath, CString strName, long lValue)
{
    return SetInt(strPath, strName, static_cast<int>(lValue));
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

BOOL CRegistry::GetLong(CString strPath, CString strName, long* plValue)
{
    return ReadLongAsInt(plValue, [&](int* pnValue) { return GetInt(strPath, strName, pnValue); });
}

BOOL CRegistry::DeleteLong(HKEY hRoot, CString strSubKey, CString strName)
{
    return DeleteInt(hRoot, strSubKey, strName);
}

BOOL CRegistry::DeleteLong(HKEY hKey, CString strName)
{
    return DeleteInt(hKey, strName);
}

BOOL CRegistry::DeleteLong(CString strPath, CString strName)
{
    return DeleteInt(strPath, strName);
}

// ---------------------------------------------------------------- binary

// The key is created before the bytes are looked at: a null pointer still
// leaves a created key behind.
BOOL CRegistry::SetBinary(HKEY hRoot, CString strSubKey, CString strName, const BYTE* pData,
                          DWORD cbData)
{
    return CallOnCreatedKey(*this, hRoot, strSubKey, &CRegistry::SetBinary, strName, pData, cbData);
}

BOOL CRegistry::SetBinary(HKEY hKey, CString strName, const BYTE* pData, DWORD cbData)
{
    if (!pData)
        return FALSE;
    return RegSetValueExA(hKey, strName, 0, REG_BINARY, pData, cbData) == ERROR_SUCCESS;
}

// A null pointer fails before anything is opened or created.
BOOL CRegistry::SetBinary(CString strPath, CString strName, const BYTE* pData, DWORD cbData)
{
    if (!pData)
        return FALSE;
    return CallOnWriteOpenedPath(*this, strPath, &CRegistry::SetBinary, strName, pData, cbData);
}

BOOL CRegistry::GetBinary(HKEY hRoot, CString strSubKey, CString strName, BYTE* pData,
                          DWORD* pcbData)
{
    return CallOnOpenedKey(*this, hRoot, strSubKey, kReadAccess, &CRegistry::GetBinary, strName,
                           pData, pcbData);
}

// Data larger than the capacity give 0 and are not copied; *pcbData then
// holds the size needed.
BOOL CRegistry::GetBinary(HKEY hKey, CString strName, BYTE* pData, DWORD* pcbData)
{
    if (!pData || !pcbData)
        return FALSE;
    return RegQueryValueExA(hKey, strName, nullptr, nullptr, pData, pcbData) == ERROR_SUCCESS;
}

BOOL CRegistry::GetBinary(CString strPath, CString strName, BYTE* pData, DWORD* pcbData)
{
    if (!pData || !pcbData)
        return FALSE;
    return CallOnReadOpenedPath(*this, strPath, &CRegistry::GetBinary, strName, pData, pcbData);
}

BOOL CRegistry::DeleteBinary(HKEY hRoot, CString strSubKey, CString strName)
{
    return DeleteValue(hRoot, strSubKey, strName);
}

BOOL CRegistry::DeleteBinary(HKEY hKey, CString strName)
{
    return DeleteValue(hKey, strName);
}

BOOL CRegistry::DeleteBinary(CString strPath, CString strName)
{
    return DeleteValue(strPath, strName);
}

// ---------------------------------------------------------------- type, existence

BOOL CRegistry::GetValueType(HKEY hRoot, CString strSubKey, CString strName, DWORD* pdwType)
{
    return CallOnOpenedKey(*this, hRoot, strSubKey, kReadAccess, &CRegistry::GetValueType, strName,
                           pdwType);
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

BOOL CRegistry::GetValueType(CString strPath, CString strName, DWORD* pdwType)
{
    return CallOnReadOpenedPath(*this, strPath, &CRegistry::GetValueType, strName, pdwType);
}

// An empty name asks only whether the key exists.
BOOL CRegistry::ValueExists(HKEY hRoot, CString strSubKey, CString strName)
{
    CRegKey key;
    if (key.Open(hRoot, strSubKey, kReadAccess) != ERROR_SUCCESS)
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

// ---------------------------------------------------------------- placeholders

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
