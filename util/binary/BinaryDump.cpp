// The debug listing of a buffer: its fields, then its whole block as held,
// 16 bytes a row.
#include "util/binary/Binary.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

const int kRowBytes = 16;

// Pointers print at the platform's width: 8 digits on 32-bit, 16 on 64-bit.
const int kPointerDigits = static_cast<int>(sizeof(void*) * 2);

unsigned long long AddressOf(const void* p)
{
    return static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(p));
}

} // namespace

void CBinary::MakeDumpColumn(char* pszColumn, const BYTE* pRow) const
{
    if (!pszColumn || !pRow)
        return;
    for (int i = 0; i < kRowBytes; ++i)
        pszColumn[i] = pRow[i] < 0x20 || pRow[i] >= 0x80 ? '\xA5' : static_cast<char>(pRow[i]);
    pszColumn[kRowBytes] = '\0';
}

// The last row is padded with zeros, which print as 00 and show as 0xA5.
CString CBinary::GetDumpText(const CString& strTitle) const
{
    CString strText;
    strText.Format("%s\n\nbuff = %0*llX, length = %d, %s, focus[%d][%d], %s\n\n",
                   strTitle.GetString(), kPointerDigits, AddressOf(m_pData), m_nLength,
                   m_bLocked ? "Locked" : "Free", m_nFocusOffset, m_nFocusLength,
                   m_pSubstance == this ? "substance" : "virtual");
    for (long long nOffset = 0; m_pData && nOffset < m_nLength; nOffset += kRowBytes) {
        BYTE row[kRowBytes] = {};
        std::memcpy(row, m_pData + nOffset,
                    static_cast<size_t>(std::min<long long>(kRowBytes, m_nLength - nOffset)));
        char szColumn[kRowBytes + 1];
        MakeDumpColumn(szColumn, row);
        char szLine[128];
        std::snprintf(szLine, sizeof(szLine),
                      "%0*llX  %08X  %02X %02X %02X %02X %02X %02X %02X %02X  "
                      "%02X %02X %02X %02X %02X %02X %02X %02X  %s\n",
                      kPointerDigits, AddressOf(m_pData + nOffset), static_cast<unsigned>(nOffset),
                      row[0], row[1], row[2], row[3], row[4], row[5], row[6], row[7], row[8],
                      row[9], row[10], row[11], row[12], row[13], row[14], row[15], szColumn);
        strText += szLine;
    }
    return strText;
}

void CBinary::Dump(CString strTitle) const
{
    MessageBoxA(nullptr, GetDumpText(strTitle), "CBinary dumping", MB_OK);
}
