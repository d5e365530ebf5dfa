#include "framework/String.h"

#include "framework/MbString.h"

#include <cstdio>
#include <cstring>
#include <vector>

CString& CString::operator=(const char* psz)
{
    m_str = psz ? psz : "";
    return *this;
}

CString& CString::operator+=(const char* psz)
{
    if (psz)
        m_str += psz;
    return *this;
}

CString& CString::operator+=(const CString& s)
{
    m_str += s.m_str;
    return *this;
}

CString& CString::operator+=(char ch)
{
    m_str += ch;
    return *this;
}

CString operator+(const CString& a, const CString& b)
{
    CString r(a);
    r += b;
    return r;
}

CString operator+(const CString& a, const char* b)
{
    CString r(a);
    r += b;
    return r;
}

CString operator+(const char* a, const CString& b)
{
    CString r(a);
    r += b;
    return r;
}

CString CString::Mid(int nFirst) const
{
    if (nFirst < 0)
        nFirst = 0;
    return Mid(nFirst, GetLength() - nFirst);
}

CString CString::Mid(int nFirst, int nCount) const
{
    if (nFirst < 0)
        nFirst = 0;
    if (nFirst >= GetLength() || nCount <= 0)
        return CString();
    if (nCount > GetLength() - nFirst)
        nCount = GetLength() - nFirst;
    return CString(m_str.data() + nFirst, nCount);
}

int CString::Delete(int nIndex, int nCount)
{
    if (nIndex >= 0 && nIndex < GetLength() && nCount > 0)
        m_str.erase(static_cast<size_t>(nIndex), static_cast<size_t>(nCount));
    return GetLength();
}

int CString::Replace(const char* pszOld, const char* pszNew)
{
    if (!pszOld || !*pszOld)
        return 0;
    const std::string from(pszOld), to(pszNew ? pszNew : "");
    std::string out;
    int count = 0;
    size_t pos = 0, hit;
    // Inserted text is never searched again.
    while ((hit = m_str.find(from, pos)) != std::string::npos) {
        out.append(m_str, pos, hit - pos);
        out += to;
        pos = hit + from.size();
        ++count;
    }
    out.append(m_str, pos, std::string::npos);
    m_str.swap(out);
    return count;
}

static bool IsBlankByte(unsigned char b)
{
    return b == 0x20 || (b >= 0x09 && b <= 0x0D);
}

CString& CString::TrimLeft()
{
    size_t i = 0;
    while (i < m_str.size() && IsBlankByte(static_cast<unsigned char>(m_str[i])))
        ++i;
    m_str.erase(0, i);
    return *this;
}

CString& CString::TrimRight()
{
    // Walk forward so a trail byte that looks like a blank is never mistaken for one.
    const int nLength = GetLength();
    int nKeep = 0;
    for (int i = 0, nChar = 0; i < nLength; i += nChar) {
        nChar = MbCharLength(&m_str[static_cast<size_t>(i)], nLength - i);
        if (nChar == 2 || !IsBlankByte(static_cast<unsigned char>(m_str[static_cast<size_t>(i)])))
            nKeep = i + nChar;
    }
    m_str.erase(static_cast<size_t>(nKeep));
    return *this;
}

CString& CString::MakeUpper()
{
    MbUpperInPlace(&m_str[0], GetLength());
    return *this;
}

void CString::Format(const char* pszFormat, ...)
{
    va_list args;
    va_start(args, pszFormat);
    FormatV(pszFormat, args);
    va_end(args);
}

void CString::FormatV(const char* pszFormat, va_list args)
{
    va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(nullptr, 0, pszFormat, copy);
    va_end(copy);
    if (n < 0) {
        m_str.clear();
        return;
    }
    std::vector<char> buf(static_cast<size_t>(n) + 1);
    std::vsnprintf(buf.data(), buf.size(), pszFormat, args);
    m_str.assign(buf.data(), static_cast<size_t>(n));
}

char* CString::GetBuffer(int nMinLength)
{
    if (nMinLength > GetLength())
        m_str.resize(static_cast<size_t>(nMinLength));
    return &m_str[0];
}

char* CString::GetBufferSetLength(int nLength)
{
    m_str.resize(static_cast<size_t>(nLength < 0 ? 0 : nLength));
    return &m_str[0];
}

void CString::ReleaseBuffer(int nNewLength)
{
    if (nNewLength < 0)
        nNewLength = static_cast<int>(std::strlen(m_str.c_str()));
    if (nNewLength > GetLength())
        nNewLength = GetLength();
    m_str.resize(static_cast<size_t>(nNewLength));
}
