#pragma once
// How the three overloads of a value operation reach one another. Shared by
// the source files of CRegistry only; nothing outside util/registry includes it.
#include "util/registry/Registry.h"
#include "util/registry/RegKey.h"

namespace RegistryCalls {

const REGSAM kReadAccess = KEY_READ;
const REGSAM kDeleteAccess = KEY_READ | KEY_WRITE;

// Resolves a path and creates its key below an opened root, as every writing
// path operation does.
inline BOOL WriteOpen(CRegistry& reg, const CString& strPath, CRegKey& key)
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
// creates anything. The reads that empty their output first do it in
// prepare(), once the path has resolved: a path that does not resolve leaves
// the output untouched.
template <typename Prepare, typename... Params>
BOOL CallOnReadOpenedPathPrepared(CRegistry& reg, const CString& strPath, Prepare prepare,
                                  OpenKeyOverload<Params...> pfn, const CString& strName,
                                  Params... args)
{
    HKEY hRoot = nullptr;
    CString strSubKey;
    if (!reg.ResolvePath(strPath, &hRoot, &strSubKey))
        return FALSE;
    prepare();
    return CallOnOpenedKey(reg, hRoot, strSubKey, kReadAccess, pfn, strName, args...);
}

template <typename... Params>
BOOL CallOnReadOpenedPath(CRegistry& reg, const CString& strPath, OpenKeyOverload<Params...> pfn,
                          const CString& strName, Params... args)
{
    return CallOnReadOpenedPathPrepared(
        reg, strPath, [] {}, pfn, strName, args...);
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

} // namespace RegistryCalls
