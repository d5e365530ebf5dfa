// Scrambled string values: stored as the substitution images of a two-digit
// checksum and the text, checked and changed but never read back by callers.
#include "util/registry/Registry.h"

#include <cstring>

namespace {

const int kFirstCode = 0x20;
const int kCodeCount = 0x7F - kFirstCode;

// The image of each printable code 0x20-0x7E, in code order. This is a stored-
// data format: values written with one table decode only with the same table,
// so it must never change.
constexpr unsigned char kImages[kCodeCount] = {
    0x2F, 0x46, 0x75, 0x78, 0x5F, 0x3A, 0x64, 0x20, 0x4A, 0x51, 0x2D, 0x4D, //  !"#$%&'()*+
    0x57, 0x72, 0x29, 0x3D, 0x7A, 0x36, 0x3B, 0x59, 0x61, 0x2C, 0x2A, 0x53, // ,-./01234567
    0x47, 0x50, 0x22, 0x52, 0x27, 0x33, 0x48, 0x3C, 0x6E, 0x25, 0x67, 0x5B, // 89:;<=>?@ABC
    0x6B, 0x3F, 0x70, 0x4F, 0x32, 0x76, 0x7D, 0x6C, 0x5A, 0x4B, 0x34, 0x6D, // DEFGHIJKLMNO
    0x3E, 0x43, 0x65, 0x7B, 0x5D, 0x49, 0x35, 0x28, 0x2E, 0x60, 0x26, 0x30, // PQRSTUVWXYZ[
    0x54, 0x62, 0x44, 0x5E, 0x73, 0x6F, 0x24, 0x41, 0x37, 0x40, 0x6A, 0x5C, // \]^_`abcdefg
    0x21, 0x77, 0x45, 0x55, 0x66, 0x4C, 0x4E, 0x58, 0x23, 0x68, 0x79, 0x2B, // hijklmnopqrs
    0x63, 0x39, 0x42, 0x74, 0x7E, 0x69, 0x31, 0x71, 0x56, 0x7C, 0x38,       // tuvwxyz{|}~
};

constexpr bool ImagesArePrintableAndDistinct()
{
    bool bTaken[256] = {};
    for (unsigned char image : kImages) {
        if (image < kFirstCode || image >= kFirstCode + kCodeCount || bTaken[image])
            return false;
        bTaken[image] = true;
    }
    return true;
}
static_assert(ImagesArePrintableAndDistinct(), "the table must permute the printable codes");

// Byte to byte over all 256 codes; 0 where a byte has no counterpart.
struct CCodeMap {
    unsigned char to[256];
};

constexpr CCodeMap MakeCodeMap(bool bInverse)
{
    CCodeMap map{};
    for (int i = 0; i < kCodeCount; ++i) {
        const unsigned char code = static_cast<unsigned char>(kFirstCode + i);
        map.to[bInverse ? kImages[i] : code] = bInverse ? code : kImages[i];
    }
    return map;
}

constexpr CCodeMap kImageOf = MakeCodeMap(false);
constexpr CCodeMap kPreimageOf = MakeCodeMap(true);

// Every byte through the map; false, leaving *pstrTo as it was, at the first
// byte without a counterpart (a zero byte never has one).
bool Substitute(const CString& strFrom, const CCodeMap& map, CString* pstrTo)
{
    CString strTo;
    for (int i = 0; i < strFrom.GetLength(); ++i) {
        const unsigned char to = map.to[static_cast<unsigned char>(strFrom.GetAt(i))];
        if (!to)
            return false;
        strTo += static_cast<char>(to);
    }
    *pstrTo = strTo;
    return true;
}

// Reduced at each step, so no length of text can overflow it.
unsigned Checksum(const CString& strText)
{
    unsigned uSum = 0;
    for (int i = 0; i < strText.GetLength(); ++i)
        uSum = (uSum + static_cast<unsigned char>(strText.GetAt(i))) % 100;
    return uSum;
}

bool HoldsZero(const CString& str)
{
    return std::strlen(str) != static_cast<size_t>(str.GetLength());
}

// CompareStringA reads both texts in the ANSI code page of the locale it is
// given. Ours are in the process's ANSI code page, which is the system
// locale's; the user's locale may have another one (English formats on a
// Japanese system) and would read Shift-JIS bytes as other characters. It also
// passes over zero bytes, so a text holding one is compared byte for byte:
// "ab\0c" is not "abc".
bool TextsEqual(const CString& strA, const CString& strB)
{
    if (HoldsZero(strA) || HoldsZero(strB))
        return strA == strB;
    return CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, strA, strA.GetLength(), strB,
                          strB.GetLength()) == CSTR_EQUAL;
}

// ValueExists also says no when the key was opened without the right to query
// values. Only a value the registry reports missing counts as absent: writing
// the empty text over an unreadable one would let a caller change it without
// knowing it.
bool ReportedMissing(HKEY hKey, const CString& strName)
{
    return RegQueryValueExA(hKey, strName, nullptr, nullptr, nullptr, nullptr) ==
           ERROR_FILE_NOT_FOUND;
}

// A path's key is write-opened with full access, read included, before
// anything is written there, so an unreadable key is never written to.
bool ReportedMissing(const CString&, const CString&)
{
    return true;
}

bool ScrambleText(const CString& strPlain, CString* pstrStored)
{
    if (!pstrStored)
        return false;
    pstrStored->Empty();
    CString strText;
    strText.Format("%02u", Checksum(strPlain));
    return Substitute(strText + strPlain, kImageOf, pstrStored);
}

// The two checksum characters are not required to be digits: any pair whose
// value by the digit formula equals the checksum is accepted.
bool UnscrambleText(const CString& strStored, CString* pstrPlain)
{
    if (!pstrPlain)
        return false;
    pstrPlain->Empty();
    CString strText;
    if (strStored.GetLength() < 2 || !Substitute(strStored, kPreimageOf, &strText))
        return false;
    const CString strPlain = strText.Mid(2);
    const int nDigits = 10 * (strText.GetAt(0) - '0') + (strText.GetAt(1) - '0');
    if (nDigits != static_cast<int>(Checksum(strPlain)))
        return false;
    *pstrPlain = strPlain;
    return true;
}

// The stored form of a value. An absent one is created holding what
// *pstrStored holds on entry, the scrambled empty text.
template <typename Key>
BOOL ReadStoredForm(CRegistry& reg, const Key& key, const CString& strName, CString* pstrStored)
{
    if (!reg.ValueExists(key, strName))
        return ReportedMissing(key, strName) && reg.SetString(key, strName, *pstrStored);
    // A value of another type under the name was not written by this group
    // and is neither decoded nor written over.
    DWORD dwType = REG_NONE;
    if (!reg.GetValueType(key, strName, &dwType) || dwType != REG_SZ)
        return FALSE;
    return reg.GetString(key, strName, pstrStored);
}

// An absent value reads as the empty text; one that does not decode fails.
template <typename Key>
BOOL ReadDecoded(CRegistry& reg, const Key& key, const CString& strName, CString* pstrText)
{
    if (pstrText)
        pstrText->Empty();
    CString strStored;
    return pstrText && ScrambleText("", &strStored) &&
           ReadStoredForm(reg, key, strName, &strStored) && UnscrambleText(strStored, pstrText);
}

} // namespace

BOOL CRegistry::ChangeScrambled(HKEY hRoot, CString strSubKey, CString strName, CString strOld,
                                CString strNew)
{
    CRegKey key;
    return CreateToWrite(hRoot, strSubKey, key) &&
           ChangeScrambled(key.Get(), strName, strOld, strNew);
}

// A new text that cannot be stored is refused before the read, which may
// create the value. An empty new text is stored scrambled like any other, so
// the value goes on verifying against the empty text.
BOOL CRegistry::ChangeScrambled(HKEY hKey, CString strName, CString strOld, CString strNew)
{
    CString strStored, strCurrent;
    return Scramble(strNew, &strStored) && ReadScrambled(hKey, strName, &strCurrent) &&
           TextsEqual(strCurrent, strOld) && SetString(hKey, strName, strStored);
}

BOOL CRegistry::ChangeScrambled(CString strPath, CString strName, CString strOld, CString strNew)
{
    CString strStored, strCurrent;
    return Scramble(strNew, &strStored) && ReadScrambled(strPath, strName, &strCurrent) &&
           TextsEqual(strCurrent, strOld) && SetString(strPath, strName, strStored);
}

// Opened for reading only: an absent value cannot be created, so it fails.
BOOL CRegistry::VerifyScrambled(HKEY hRoot, CString strSubKey, CString strName, CString strText)
{
    CRegKey key;
    return OpenToRead(hRoot, strSubKey, key) && VerifyScrambled(key.Get(), strName, strText);
}

BOOL CRegistry::VerifyScrambled(HKEY hKey, CString strName, CString strText)
{
    CString strCurrent;
    return ReadScrambled(hKey, strName, &strCurrent) && TextsEqual(strCurrent, strText);
}

BOOL CRegistry::VerifyScrambled(CString strPath, CString strName, CString strText)
{
    CString strCurrent;
    return ReadScrambled(strPath, strName, &strCurrent) && TextsEqual(strCurrent, strText);
}

BOOL CRegistry::DeleteScrambledIfMatch(HKEY hRoot, CString strSubKey, CString strName,
                                       CString strText)
{
    CRegKey key;
    return OpenToChange(hRoot, strSubKey, key) &&
           DeleteScrambledIfMatch(key.Get(), strName, strText);
}

BOOL CRegistry::DeleteScrambledIfMatch(HKEY hKey, CString strName, CString strText)
{
    return VerifyScrambled(hKey, strName, strText) && DeleteValue(hKey, strName);
}

BOOL CRegistry::DeleteScrambledIfMatch(CString strPath, CString strName, CString strText)
{
    return VerifyScrambled(strPath, strName, strText) && DeleteValue(strPath, strName);
}

// Fails on a byte outside 0x20-0x7E: tab, DEL, any byte of a double-byte character.
BOOL CRegistry::Scramble(CString strPlain, CString* pstrStored)
{
    return ScrambleText(strPlain, pstrStored);
}

BOOL CRegistry::Unscramble(CString strStored, CString* pstrPlain)
{
    return UnscrambleText(strStored, pstrPlain);
}

BOOL CRegistry::ReadScrambled(HKEY hKey, CString strName, CString* pstrText)
{
    return ReadDecoded(*this, hKey, strName, pstrText);
}

BOOL CRegistry::ReadScrambled(CString strPath, CString strName, CString* pstrText)
{
    return ReadDecoded(*this, strPath, strName, pstrText);
}
