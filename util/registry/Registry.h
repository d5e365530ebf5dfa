#pragma once
// The settings store: one object per registry key path such as
// "HKEY_CURRENT_USER\Software\VORNELIX\Quillfind". No key is held open between
// calls; every operation opens what it needs and closes it before returning.
//
// Every value operation has three overloads, in this order:
//   (HKEY root, CString subKey, CString name, ...)  opens or creates the sub-key itself
//   (HKEY key, CString name, ...)                   works on a key the caller holds open
//   (CString path, CString name, ...)               path relative to this object's key
// Results are 1 for success and 0 for failure. Operations call one another
// virtually, so an override in a derived class takes effect everywhere.
#include <windows.h>

#include "framework/String.h"
#include "util/binary/Binary.h"
#include "util/registry/RegKey.h"

class CRegistry {
public:
    explicit CRegistry(CString strPath);
    ~CRegistry();
    CRegistry(const CRegistry&) = delete;
    CRegistry& operator=(const CRegistry&) = delete;

    // Paths
    virtual void SetPath(CString strPath);
    virtual CString GetPath() const;
    virtual CString& NormalizePath(CString& strPath);
    virtual BOOL ParsePath(CString strPath, HKEY* phRoot, CString* pstrSubKey);
    virtual BOOL ResolvePath(CString strPath, HKEY* phRoot, CString* pstrSubKey);

    // Keys
    virtual BOOL DeleteTree(HKEY hParent, const char* pszSubKey);
    virtual BOOL CreateKey(HKEY hRoot, CString strSubKey);
    virtual BOOL CreateKey(CString strPath);
    virtual BOOL DeleteKey(HKEY hRoot, CString strSubKey);
    virtual BOOL DeleteKey(CString strPath);

    // Values of any type
    virtual BOOL DeleteValue(HKEY hRoot, CString strSubKey, CString strName);
    virtual BOOL DeleteValue(HKEY hKey, CString strName);
    virtual BOOL DeleteValue(CString strPath, CString strName);

    // REG_SZ
    virtual BOOL SetString(HKEY hRoot, CString strSubKey, CString strName, CString strValue);
    virtual BOOL SetString(HKEY hKey, CString strName, CString strValue);
    virtual BOOL SetString(CString strPath, CString strName, CString strValue);
    virtual BOOL GetString(HKEY hRoot, CString strSubKey, CString strName, CString* pstrValue);
    virtual BOOL GetString(HKEY hKey, CString strName, CString* pstrValue);
    virtual BOOL GetString(CString strPath, CString strName, CString* pstrValue);
    virtual BOOL DeleteString(HKEY hRoot, CString strSubKey, CString strName);
    virtual BOOL DeleteString(HKEY hKey, CString strName);
    virtual BOOL DeleteString(CString strPath, CString strName);

    // Scrambled REG_SZ: the text is stored with a checksum, every character
    // replaced through a fixed table, and is never handed back. Scrambling hides
    // a text from a casual look at the registry; it is not encryption and
    // protects nothing from someone who has the program. Only the printable
    // ASCII characters 0x20-0x7E can be stored. Texts compare without regard to
    // case. An absent value counts as holding the empty text; a check or change
    // made with write access creates it so. A value that does not decode fails
    // all three operations and is left as it is.
    virtual BOOL ChangeScrambled(HKEY hRoot, CString strSubKey, CString strName, CString strOld,
                                 CString strNew);
    virtual BOOL ChangeScrambled(HKEY hKey, CString strName, CString strOld, CString strNew);
    virtual BOOL ChangeScrambled(CString strPath, CString strName, CString strOld, CString strNew);
    virtual BOOL VerifyScrambled(HKEY hRoot, CString strSubKey, CString strName, CString strText);
    virtual BOOL VerifyScrambled(HKEY hKey, CString strName, CString strText);
    virtual BOOL VerifyScrambled(CString strPath, CString strName, CString strText);
    virtual BOOL DeleteScrambledIfMatch(HKEY hRoot, CString strSubKey, CString strName,
                                        CString strText);
    virtual BOOL DeleteScrambledIfMatch(HKEY hKey, CString strName, CString strText);
    virtual BOOL DeleteScrambledIfMatch(CString strPath, CString strName, CString strText);

    // REG_DWORD as int (signed: window coordinates)
    virtual BOOL SetInt(HKEY hRoot, CString strSubKey, CString strName, int nValue);
    virtual BOOL SetInt(HKEY hKey, CString strName, int nValue);
    virtual BOOL SetInt(CString strPath, CString strName, int nValue);
    virtual BOOL GetInt(HKEY hRoot, CString strSubKey, CString strName, int* pnValue);
    virtual BOOL GetInt(HKEY hKey, CString strName, int* pnValue);
    virtual BOOL GetInt(CString strPath, CString strName, int* pnValue);
    virtual BOOL DeleteInt(HKEY hRoot, CString strSubKey, CString strName);
    virtual BOOL DeleteInt(HKEY hKey, CString strName);
    virtual BOOL DeleteInt(CString strPath, CString strName);

    // REG_DWORD as DWORD
    virtual BOOL SetDword(HKEY hRoot, CString strSubKey, CString strName, DWORD dwValue);
    virtual BOOL SetDword(HKEY hKey, CString strName, DWORD dwValue);
    virtual BOOL SetDword(CString strPath, CString strName, DWORD dwValue);
    virtual BOOL GetDword(HKEY hRoot, CString strSubKey, CString strName, DWORD* pdwValue);
    virtual BOOL GetDword(HKEY hKey, CString strName, DWORD* pdwValue);
    virtual BOOL GetDword(CString strPath, CString strName, DWORD* pdwValue);
    virtual BOOL DeleteDword(HKEY hRoot, CString strSubKey, CString strName);
    virtual BOOL DeleteDword(HKEY hKey, CString strName);
    virtual BOOL DeleteDword(CString strPath, CString strName);

    // REG_DWORD holding a WORD: zero-extended on writing, low 16 bits on reading
    virtual BOOL SetWord(HKEY hRoot, CString strSubKey, CString strName, WORD wValue);
    virtual BOOL SetWord(HKEY hKey, CString strName, WORD wValue);
    virtual BOOL SetWord(CString strPath, CString strName, WORD wValue);
    virtual BOOL GetWord(HKEY hRoot, CString strSubKey, CString strName, WORD* pwValue);
    virtual BOOL GetWord(HKEY hKey, CString strName, WORD* pwValue);
    virtual BOOL GetWord(CString strPath, CString strName, WORD* pwValue);
    virtual BOOL DeleteWord(HKEY hRoot, CString strSubKey, CString strName);
    virtual BOOL DeleteWord(HKEY hKey, CString strName);
    virtual BOOL DeleteWord(CString strPath, CString strName);

    // REG_DWORD as long; the same as the int group
    virtual BOOL SetLong(HKEY hRoot, CString strSubKey, CString strName, long lValue);
    virtual BOOL SetLong(HKEY hKey, CString strName, long lValue);
    virtual BOOL SetLong(CString strPath, CString strName, long lValue);
    virtual BOOL GetLong(HKEY hRoot, CString strSubKey, CString strName, long* plValue);
    virtual BOOL GetLong(HKEY hKey, CString strName, long* plValue);
    virtual BOOL GetLong(CString strPath, CString strName, long* plValue);
    virtual BOOL DeleteLong(HKEY hRoot, CString strSubKey, CString strName);
    virtual BOOL DeleteLong(HKEY hKey, CString strName);
    virtual BOOL DeleteLong(CString strPath, CString strName);

    // REG_BINARY from and into caller's bytes. GetBinary: *pcbData is the
    // buffer's capacity on entry and the number of bytes read on return. The
    // buffer forms store the bytes a CBinary shows and read a value into one.
    virtual BOOL SetBinary(HKEY hRoot, CString strSubKey, CString strName, const BYTE* pData,
                           DWORD cbData);
    virtual BOOL SetBinary(HKEY hKey, CString strName, const BYTE* pData, DWORD cbData);
    virtual BOOL SetBinary(HKEY hRoot, CString strSubKey, CString strName, CBinary binValue);
    virtual BOOL SetBinary(HKEY hKey, CString strName, CBinary binValue);
    virtual BOOL SetBinary(CString strPath, CString strName, const BYTE* pData, DWORD cbData);
    virtual BOOL SetBinary(CString strPath, CString strName, CBinary binValue);
    virtual BOOL GetBinary(HKEY hRoot, CString strSubKey, CString strName, BYTE* pData,
                           DWORD* pcbData);
    virtual BOOL GetBinary(HKEY hKey, CString strName, BYTE* pData, DWORD* pcbData);
    virtual BOOL GetBinary(HKEY hRoot, CString strSubKey, CString strName, CBinary* pbinValue);
    virtual BOOL GetBinary(HKEY hKey, CString strName, CBinary* pbinValue);
    virtual BOOL GetBinary(CString strPath, CString strName, BYTE* pData, DWORD* pcbData);
    virtual BOOL GetBinary(CString strPath, CString strName, CBinary* pbinValue);
    virtual BOOL DeleteBinary(HKEY hRoot, CString strSubKey, CString strName);
    virtual BOOL DeleteBinary(HKEY hKey, CString strName);
    virtual BOOL DeleteBinary(CString strPath, CString strName);

    // Registry type code (REG_SZ 1, REG_BINARY 3, REG_DWORD 4, ...)
    virtual BOOL GetValueType(HKEY hRoot, CString strSubKey, CString strName, DWORD* pdwType);
    virtual BOOL GetValueType(HKEY hKey, CString strName, DWORD* pdwType);
    virtual BOOL GetValueType(CString strPath, CString strName, DWORD* pdwType);

    // An empty name asks whether the key exists (root-plus-sub-key and path
    // forms) or whether the key's default value is set (open-key form).
    virtual BOOL ValueExists(HKEY hRoot, CString strSubKey, CString strName);
    virtual BOOL ValueExists(HKEY hKey, CString strName);
    virtual BOOL ValueExists(CString strPath, CString strName);

    // Kept for later use; they do nothing and return 1.
    virtual BOOL ReservedA(DWORD dwArg1, CString strArg, DWORD dwArg2);
    virtual BOOL ReservedB(DWORD dwArg1, CString strArg, DWORD dwArg2);
    virtual BOOL ReservedC(DWORD dwArg1, CString strArg, DWORD dwArg2, DWORD dwArg3);

protected:
    // The scrambled group's helpers, for it and for derived classes: callers of
    // the class get no way to read a scrambled text back. On failure the
    // receiving string is empty.
    static BOOL Scramble(CString strPlain, CString* pstrStored);
    static BOOL Unscramble(CString strStored, CString* pstrPlain);
    BOOL ReadScrambled(HKEY hKey, CString strName, CString* pstrText);
    BOOL ReadScrambled(CString strPath, CString strName, CString* pstrText);

    BOOL m_bValid;
    HKEY m_hRoot;
    CString m_strPath;
    CString m_strSubKey;

private:
    // How an overload opens its key before the open-key call, named for what
    // follows it. The key closes with its owner on every path out.

    // For reading: the sub-key opened right under its root; nothing is created.
    static bool OpenToRead(HKEY hRoot, const char* pszSubKey, CRegKey& key)
    {
        return key.Open(hRoot, pszSubKey, KEY_READ) == ERROR_SUCCESS;
    }

    // The same for a path resolved against the object; defined with ResolvePath.
    bool OpenToRead(const CString& strPath, CRegKey& key);

    // For changing what is there: deleting values or keys, or creating keys
    // below an opened root. Opened as it is; nothing is created.
    static bool OpenToChange(HKEY hRoot, const char* pszSubKey, CRegKey& key)
    {
        return key.Open(hRoot, pszSubKey, KEY_READ | KEY_WRITE) == ERROR_SUCCESS;
    }

    // For writing: the sub-key created, with any missing keys on the way, or
    // opened as it is.
    static bool CreateToWrite(HKEY hRoot, const char* pszSubKey, CRegKey& key)
    {
        return key.Create(hRoot, pszSubKey) == ERROR_SUCCESS;
    }

    // The same for a path resolved against the object; defined with ResolvePath.
    bool CreateToWrite(const CString& strPath, CRegKey& key);

    // The long group is the int group under another type. The int read works
    // on a copy, which goes back whatever the result, so the long sees
    // exactly what an int would.
    template <typename ReadInt> static BOOL ReadLongAsInt(long* plValue, ReadInt readInt)
    {
        if (!plValue)
            return FALSE;
        int nValue = static_cast<int>(*plValue);
        BOOL bResult = readInt(&nValue);
        *plValue = nValue;
        return bResult;
    }

    // DeleteTree's fallback: the last component of the path is a value name,
    // the rest names its key.
    static BOOL DeleteValueAtPath(HKEY hParent, const char* pszPath);
};
