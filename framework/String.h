#pragma once
// The program's 8-bit string: text in the user's ANSI code page, double-byte
// characters carried as their two bytes. A value type; copies are cheap enough
// for the short texts this program handles.
#include <windows.h>

#include <cstdarg>
#include <string>

class CString {
public:
    CString() = default;
    CString(const char* psz) : m_str(psz ? psz : "") {}
    CString(const char* p, int nLength) : m_str(p ? p : "", p && nLength > 0 ? nLength : 0) {}
    CString(const CString&) = default;
    CString(CString&&) noexcept = default;
    CString& operator=(const CString&) = default;
    CString& operator=(CString&&) noexcept = default;
    CString& operator=(const char* psz);

    // No accidental conversions from numbers or wide text.
    CString(int) = delete;
    CString(char) = delete;
    CString(const wchar_t*) = delete;
    CString& operator=(int) = delete;
    CString& operator=(const wchar_t*) = delete;

    int GetLength() const { return static_cast<int>(m_str.size()); }
    bool IsEmpty() const { return m_str.empty(); }
    void Empty() { m_str.clear(); }
    operator const char*() const { return m_str.c_str(); }
    const char* GetString() const { return m_str.c_str(); }
    char GetAt(int i) const { return m_str[static_cast<size_t>(i)]; }

    CString& operator+=(const char* psz);
    CString& operator+=(const CString& s);
    CString& operator+=(char ch);
    friend CString operator+(const CString& a, const CString& b);
    friend CString operator+(const CString& a, const char* b);
    friend CString operator+(const char* a, const CString& b);
    friend bool operator==(const CString& a, const CString& b) { return a.m_str == b.m_str; }
    friend bool operator==(const CString& a, const char* b) { return a.m_str == (b ? b : ""); }
    friend bool operator!=(const CString& a, const CString& b) { return !(a == b); }
    friend bool operator!=(const CString& a, const char* b) { return !(a == b); }

    CString Mid(int nFirst) const;
    CString Mid(int nFirst, int nCount) const;
    int Delete(int nIndex, int nCount = 1);
    int Replace(const char* pszOld, const char* pszNew);

    // White space is the single bytes 0x09-0x0D and 0x20; double-byte
    // characters are stepped over whole and never count as white space.
    CString& TrimLeft();
    CString& TrimRight();
    CString& Trim() { return TrimRight().TrimLeft(); }
    // a-z become A-Z; a double-byte character is left whole.
    CString& MakeUpper();

    void Format(const char* pszFormat, ...);
    void FormatV(const char* pszFormat, va_list args);

    // Fill-a-buffer pair for Win32 calls: GetBuffer gives room for nMinLength
    // bytes and a terminating zero; ReleaseBuffer takes the length from the
    // first zero byte (or nNewLength when given, clamped to the buffer).
    char* GetBuffer(int nMinLength);
    char* GetBufferSetLength(int nLength);
    void ReleaseBuffer(int nNewLength = -1);

    const std::string& str() const { return m_str; }

private:
    std::string m_str;
};
