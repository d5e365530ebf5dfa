#pragma once
// A buffer of raw bytes. A substance owns a heap block exactly as long as its
// data; a virtual buffer (a view, made by Focus) borrows the block of a
// substance through a window: a start offset and, optionally, a fixed length.
// A locked buffer keeps its size: size changes refuse, copies into it fill
// only the bytes it has. A view with a fixed length is always locked.
//
// A view holds the substance's pointer and length as they were when it was
// made; it must not be used once its substance is destroyed or resized by
// other means. A view never frees memory.
//
// Sizes, offsets, counts and indices are signed 32-bit; a negative one never
// reaches memory outside the block, and a size that would not fit in 32 bits
// fails with nothing changed.
#include <windows.h>

#include "framework/String.h"

class CBinary {
public:
    CBinary();
    // Every byte set to the fill value's low 8 bits; locked.
    CBinary(int nFill, int nSize);
    // A copy of the bytes (zeros for a null pointer); locked.
    CBinary(const BYTE* pData, int nLength);
    // An unlocked substance holding the other buffer's visible bytes.
    CBinary(const CBinary& other);
    // A view of the substance's block from nOffset, nLength bytes long or to
    // the end (-1); locked when the length is fixed.
    CBinary(CBinary& substance, int nOffset, int nLength);
    ~CBinary();

    virtual void Reset();
    virtual void Free();
    virtual BOOL SetSize(int nSize);
    virtual BYTE* SetData(const BYTE* pData, int nLength);
    virtual BOOL IsVirtual() const;
    virtual BOOL HasFocusLength() const;
    virtual void SetFocus(int nOffset, int nLength);
    virtual BYTE* GetData() const;
    virtual int GetLength() const;
    virtual int GetFocusOffset() const;
    virtual BOOL IsEmpty() const;
    virtual BOOL Clear();
    virtual BOOL IsLocked() const;
    virtual BOOL IsFree() const;
    virtual void Lock();
    virtual BOOL Unlock();
    virtual BYTE* LockBuffer();
    virtual BOOL UnlockBuffer();
    virtual BYTE GetAt(int nIndex) const;
    virtual void SetAt(int nIndex, BYTE byValue);
    // Only on a buffer that outlives the statement: a view of a temporary
    // would point into a freed block.
    virtual CBinary Focus(int nCount) &;
    virtual BYTE* GetBytes() const;
    virtual BYTE GetFirstByte() const;
    virtual int GetSize() const;
    virtual BOOL SetLength(int nLength);
    virtual BYTE* GetBufferSetLength(int nLength);
    virtual BYTE* GetBuffer(int nMinLength);

    // 1 when the buffer took the bytes (on a locked buffer as many as fit),
    // 0 when it refused or could not be sized.
    virtual BOOL Set(const BYTE* pData, int nLength);
    virtual BOOL Copy(const CBinary& source);
    virtual BOOL Fill(int nValue, int nCount);
    virtual BOOL AppendByte(int nValue);
    virtual BOOL Append(const BYTE* pData, int nLength);
    virtual BOOL Append(const CBinary& source);

    // Each makes the buffer one byte: the value's low 8 bits.
    virtual CBinary& operator=(int nValue) { return AssignByte(static_cast<BYTE>(nValue)); }
    virtual CBinary& operator=(UINT nValue) { return AssignByte(static_cast<BYTE>(nValue)); }
    virtual CBinary& operator=(WORD wValue) { return AssignByte(static_cast<BYTE>(wValue)); }
    virtual CBinary& operator=(short sValue) { return AssignByte(static_cast<BYTE>(sValue)); }
    virtual CBinary& operator=(BYTE byValue) { return AssignByte(byValue); }
    virtual CBinary& operator=(char chValue) { return AssignByte(static_cast<BYTE>(chValue)); }
    virtual CBinary& operator=(LONG lValue) { return AssignByte(static_cast<BYTE>(lValue)); }
    virtual CBinary& operator=(DWORD dwValue) { return AssignByte(static_cast<BYTE>(dwValue)); }
    virtual CBinary& operator=(const CBinary& source);
    // Each appends one byte: the value's low 8 bits.
    virtual CBinary& operator+=(int nValue) { return AddByte(static_cast<BYTE>(nValue)); }
    virtual CBinary& operator+=(UINT nValue) { return AddByte(static_cast<BYTE>(nValue)); }
    virtual CBinary& operator+=(WORD wValue) { return AddByte(static_cast<BYTE>(wValue)); }
    virtual CBinary& operator+=(short sValue) { return AddByte(static_cast<BYTE>(sValue)); }
    virtual CBinary& operator+=(BYTE byValue) { return AddByte(byValue); }
    virtual CBinary& operator+=(char chValue) { return AddByte(static_cast<BYTE>(chValue)); }
    virtual CBinary& operator+=(LONG lValue) { return AddByte(static_cast<BYTE>(lValue)); }
    virtual CBinary& operator+=(DWORD dwValue) { return AddByte(static_cast<BYTE>(dwValue)); }
    virtual CBinary& operator+=(const CBinary& source);

    // A missing byte counts as 0, so a prefix followed by a zero byte in the
    // longer buffer compares equal. A positive maximum bounds the steps.
    virtual int CompareBytes(const BYTE* pA, int nLengthA, const BYTE* pB, int nLengthB,
                             int nMax) const;
    virtual int Compare(const BYTE* pData, int nLength) const;
    virtual int Compare(const CBinary& other, int nMax) const;
    virtual int Find(BYTE byValue) const { return Scan(&byValue, 1, kFirst); }
    virtual int Find(const CBinary& pattern) const
    {
        return Find(pattern.GetData(), pattern.GetLength());
    }
    virtual int Find(const BYTE* pPattern, int nLength) const
    {
        return Scan(pPattern, nLength, kFirst);
    }
    virtual int ReverseFind(BYTE byValue) const { return Scan(&byValue, 1, kLast); }
    virtual int ReverseFind(const CBinary& pattern) const
    {
        return ReverseFind(pattern.GetData(), pattern.GetLength());
    }
    virtual int ReverseFind(const BYTE* pPattern, int nLength) const
    {
        return Scan(pPattern, nLength, kLast);
    }
    // Overlapping occurrences count.
    virtual int Count(BYTE byValue) const { return Scan(&byValue, 1, kAll); }
    virtual int Count(const CBinary& pattern) const
    {
        return Count(pattern.GetData(), pattern.GetLength());
    }
    virtual int Count(const BYTE* pPattern, int nLength) const
    {
        return Scan(pPattern, nLength, kAll);
    }
    virtual void DeleteHead(int nCount);
    virtual void DeleteTail(int nCount);
    virtual CBinary Left(int nCount) const;
    virtual CBinary Right(int nCount) const;
    virtual CBinary Mid(int nStart) const;
    virtual CBinary Mid(int nStart, int nCount) const;

    // The bytes up to the first zero byte.
    virtual CString AsString() const;
    virtual BOOL ToString(CString& str) const;
    // The text without a terminating zero.
    virtual BOOL FromString(CString str);

    // 16 characters and a zero: printable bytes (0x20-0x7F) as themselves,
    // every other byte as 0xA5.
    virtual void MakeDumpColumn(char* pszColumn, const BYTE* pRow) const;
    // Shows GetDumpText in a message box.
    virtual void Dump(CString strTitle) const;

    // The hex listing of the whole block as held, with the fields.
    CString GetDumpText(const CString& strTitle) const;

private:
    enum ScanMode { kFirst, kLast, kAll };

    BOOL OwnsBlock() const { return m_pSubstance == this; }
    BOOL HoldsInBlock(const BYTE* p) const;
    BOOL ResizeBlock(int nSize);
    CBinary& AssignByte(BYTE byValue);
    CBinary& AddByte(BYTE byValue);
    int Scan(const BYTE* pPattern, int nLength, ScanMode mode) const;
    void DeleteEnd(int nCount, bool bHead);
    CBinary Window(int nStart, int nCount, bool bFixed) const;

    BYTE* m_pData;
    int m_nLength;
    BOOL m_bLocked;
    int m_nFocusOffset;
    int m_nFocusLength;
    CBinary* m_pSubstance;
};
