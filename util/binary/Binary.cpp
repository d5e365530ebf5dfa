#include "util/binary/Binary.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>

static_assert(sizeof(LONG) == 4 && sizeof(DWORD) == 4 && sizeof(UINT) == 4 && sizeof(int) == 4,
              "the four 32-bit integer overloads stay apart only with 32-bit long");

namespace {

bool FitsInt(long long nValue)
{
    return nValue >= 0 && nValue <= INT_MAX;
}

// A block for a constructor, which cannot report a failure: an allocation
// failure raises the allocator's exception.
BYTE* NewBlock(int nSize)
{
    return nSize > 0 ? new BYTE[static_cast<size_t>(nSize)]() : nullptr;
}

void MoveBytes(BYTE* pTo, const BYTE* pFrom, int nCount)
{
    if (pTo && pFrom && nCount > 0)
        std::memmove(pTo, pFrom, static_cast<size_t>(nCount));
}

} // namespace

CBinary::CBinary()
{
    Reset();
}

CBinary::CBinary(int nFill, int nSize)
{
    Reset();
    m_pData = NewBlock(nSize);
    if (m_pData)
        std::memset(m_pData, static_cast<BYTE>(nFill), static_cast<size_t>(nSize));
    m_nLength = m_pData ? nSize : 0;
    m_bLocked = TRUE;
}

CBinary::CBinary(const BYTE* pData, int nLength)
{
    Reset();
    m_pData = NewBlock(nLength);
    m_nLength = m_pData ? nLength : 0;
    MoveBytes(m_pData, pData, m_nLength);
    m_bLocked = TRUE;
}

CBinary::CBinary(const CBinary& other)
{
    Reset();
    m_pData = NewBlock(other.GetLength());
    m_nLength = m_pData ? other.GetLength() : 0;
    MoveBytes(m_pData, other.GetData(), m_nLength);
}

// A view of a view is a view of its substance, offsets counted from the
// substance's start. A negative offset means the start.
CBinary::CBinary(CBinary& substance, int nOffset, int nLength)
{
    CBinary* pOwner = substance.m_pSubstance;
    m_pData = pOwner->m_pData;
    m_nLength = pOwner->m_nLength;
    m_bLocked = substance.m_bLocked;
    m_nFocusOffset = std::max(nOffset, 0);
    m_nFocusLength = std::max(nLength, -1);
    m_pSubstance = pOwner;
    if (m_nFocusLength != -1)
        m_bLocked = TRUE;
}

CBinary::~CBinary()
{
    CBinary::Free();
}

void CBinary::Reset()
{
    m_pData = nullptr;
    m_nLength = 0;
    m_bLocked = FALSE;
    m_nFocusOffset = -1;
    m_nFocusLength = -1;
    m_pSubstance = this;
}

// Only the owner of a block frees it, whatever SetFocus made of the offset.
void CBinary::Free()
{
    if (OwnsBlock())
        delete[] m_pData;
    Reset();
}

// A view resizes its substance, which replaces its own block: the window then
// reaches as far as the new size.
// The substance's lock counts too: a view's own flag is a copy that the view
// may have unlocked, and a locked substance's fixed views rely on its block.
BOOL CBinary::SetSize(int nSize)
{
    if (IsLocked() || m_pSubstance->IsLocked() || nSize < 0)
        return FALSE;
    CBinary* pOwner = m_pSubstance;
    if (!pOwner->ResizeBlock(nSize))
        return FALSE;
    m_pData = pOwner->m_pData;
    m_nLength = pOwner->m_nLength;
    return TRUE;
}

// If no block can be had, nothing changes.
BOOL CBinary::ResizeBlock(int nSize)
{
    BYTE* pNew = nullptr;
    if (nSize > 0) {
        pNew = new (std::nothrow) BYTE[static_cast<size_t>(nSize)];
        if (!pNew)
            return FALSE;
        const int nKeep = std::min(m_nLength, nSize);
        MoveBytes(pNew, m_pData, nKeep);
        std::memset(pNew + nKeep, 0, static_cast<size_t>(nSize - nKeep));
    }
    delete[] m_pData;
    m_pData = pNew;
    m_nLength = nSize;
    return TRUE;
}

// Bytes of this buffer's own block are copied aside first: the resize frees them.
BYTE* CBinary::SetData(const BYTE* pData, int nLength)
{
    if (HoldsInBlock(pData)) {
        const CBinary aside(pData, nLength);
        return SetData(aside.GetData(), nLength);
    }
    if (SetLength(nLength))
        MoveBytes(GetData(), pData, nLength);
    return m_pData;
}

BOOL CBinary::IsVirtual() const
{
    return m_nFocusOffset != -1;
}

BOOL CBinary::HasFocusLength() const
{
    return m_nFocusLength != -1;
}

// Offsets and lengths below -1 mean nothing; they count as 0.
void CBinary::SetFocus(int nOffset, int nLength)
{
    m_nFocusOffset = nOffset < -1 ? 0 : nOffset;
    m_nFocusLength = nLength < -1 ? 0 : nLength;
    if (m_nFocusLength != -1)
        Lock();
}

BYTE* CBinary::GetData() const
{
    if (!IsVirtual())
        return m_pData;
    return m_nFocusOffset < m_nLength ? m_pData + m_nFocusOffset : nullptr;
}

// A fixed length never reaches past the end of the block.
int CBinary::GetLength() const
{
    if (!IsVirtual())
        return m_nLength;
    if (m_nFocusOffset >= m_nLength)
        return 0;
    const int nRest = m_nLength - m_nFocusOffset;
    return HasFocusLength() ? std::min(m_nFocusLength, nRest) : nRest;
}

int CBinary::GetFocusOffset() const
{
    return IsVirtual() ? m_nFocusOffset : 0;
}

// A view is empty when its window holds nothing, whatever the block it looks
// into holds: a cleared view, or one past the end, is a source of no bytes.
BOOL CBinary::IsEmpty() const
{
    return GetLength() == 0;
}

// A view empties only its window: the substance is cut at the view's start,
// and one past the end keeps its size.
BOOL CBinary::Clear()
{
    return SetSize(std::min(GetFocusOffset(), m_nLength));
}

BOOL CBinary::IsLocked() const
{
    return m_bLocked != FALSE;
}

BOOL CBinary::IsFree() const
{
    return m_bLocked == FALSE;
}

void CBinary::Lock()
{
    m_bLocked = TRUE;
}

// A window of fixed length stays locked; the result then is 1.
BOOL CBinary::Unlock()
{
    if (HasFocusLength())
        return TRUE;
    m_bLocked = FALSE;
    return FALSE;
}

BYTE* CBinary::LockBuffer()
{
    Lock();
    return GetBytes();
}

BOOL CBinary::UnlockBuffer()
{
    return Unlock();
}

BYTE CBinary::GetAt(int nIndex) const
{
    return nIndex >= 0 && nIndex < GetLength() ? GetData()[nIndex] : 0;
}

void CBinary::SetAt(int nIndex, BYTE byValue)
{
    if (nIndex >= 0 && nIndex < GetLength())
        GetData()[nIndex] = byValue;
}

// On a substance: the bytes from nCount on. On an open-ended view: the first
// nCount bytes of its window, locked. On a fixed view: the bytes from nCount
// into its window on. A negative count counts as 0.
CBinary CBinary::Focus(int nCount) &
{
    nCount = std::max(nCount, 0);
    if (!IsVirtual())
        return CBinary(*this, nCount, -1);
    if (!HasFocusLength())
        return CBinary(*m_pSubstance, m_nFocusOffset,
                       std::min(nCount, std::max(m_nLength - m_nFocusOffset, 0)));
    const long long nOffset = static_cast<long long>(m_nFocusOffset) + nCount;
    return CBinary(*m_pSubstance, FitsInt(nOffset) ? static_cast<int>(nOffset) : INT_MAX, -1);
}

BYTE* CBinary::GetBytes() const
{
    return GetData();
}

BYTE CBinary::GetFirstByte() const
{
    return GetData() ? *GetData() : 0;
}

int CBinary::GetSize() const
{
    return GetLength();
}

// On a view the substance is sized so that the window gets the length.
BOOL CBinary::SetLength(int nLength)
{
    if (IsLocked() || nLength < 0)
        return FALSE;
    const long long nSize = static_cast<long long>(GetFocusOffset()) + nLength;
    return FitsInt(nSize) ? SetSize(static_cast<int>(nSize)) : FALSE;
}

BYTE* CBinary::GetBufferSetLength(int nLength)
{
    return SetLength(nLength) ? GetData() : nullptr;
}

BYTE* CBinary::GetBuffer(int nMinLength)
{
    if (nMinLength != 0 && GetLength() < nMinLength)
        return GetBufferSetLength(nMinLength);
    return GetData();
}

BOOL CBinary::Set(const BYTE* pData, int nLength)
{
    return nLength >= 0 ? Copy(CBinary(pData, nLength)) : FALSE;
}

// A locked buffer takes as many bytes as it has; an unlocked one takes the
// source's length.
BOOL CBinary::Copy(const CBinary& source)
{
    if (IsLocked() && !GetData())
        return FALSE;
    if (!source.IsEmpty() && !source.GetData())
        return FALSE;
    if (IsLocked()) {
        MoveBytes(GetData(), source.GetData(), std::min(GetLength(), source.GetLength()));
        return TRUE;
    }
    // A view of this buffer's own block would read freed bytes after the resize.
    if (HoldsInBlock(source.GetData()))
        return Copy(CBinary(source));
    if (!SetLength(source.GetLength()))
        return FALSE;
    MoveBytes(GetData(), source.GetData(), source.GetLength());
    return TRUE;
}

BOOL CBinary::Fill(int nValue, int nCount)
{
    return nCount >= 0 ? Copy(CBinary(nValue, nCount)) : FALSE;
}

BOOL CBinary::AppendByte(int nValue)
{
    return Append(CBinary(nValue, 1));
}

BOOL CBinary::Append(const BYTE* pData, int nLength)
{
    return nLength >= 0 ? Append(CBinary(pData, nLength)) : FALSE;
}

BOOL CBinary::Append(const CBinary& source)
{
    if (IsLocked())
        return FALSE;
    if (!source.IsEmpty() && !source.GetData())
        return FALSE;
    if (HoldsInBlock(source.GetData()))
        return Append(CBinary(source));
    const int nOld = GetLength();
    const int nAdd = source.GetLength();
    if (!FitsInt(static_cast<long long>(nOld) + nAdd) || !SetLength(nOld + nAdd))
        return FALSE;
    MoveBytes(GetData() + nOld, source.GetData(), nAdd);
    return TRUE;
}

CBinary& CBinary::AssignByte(BYTE byValue)
{
    Fill(byValue, 1);
    return *this;
}

CBinary& CBinary::AddByte(BYTE byValue)
{
    AppendByte(byValue);
    return *this;
}

CBinary& CBinary::operator=(const CBinary& source)
{
    Copy(source);
    return *this;
}

CBinary& CBinary::operator+=(const CBinary& source)
{
    Append(source);
    return *this;
}

BOOL CBinary::HoldsInBlock(const BYTE* p) const
{
    const BYTE* pBlock = m_pSubstance->m_pData;
    if (!p || !pBlock)
        return FALSE;
    const std::less_equal<const BYTE*> notAfter;
    return notAfter(pBlock, p) && !notAfter(pBlock + m_pSubstance->m_nLength, p);
}

// Runs min(lengths) + 1 steps, or nMax when positive; a missing or null side
// reads as zeros.
int CBinary::CompareBytes(const BYTE* pA, int nLengthA, const BYTE* pB, int nLengthB,
                          int nMax) const
{
    if (!pA || nLengthA < 0)
        nLengthA = 0;
    if (!pB || nLengthB < 0)
        nLengthB = 0;
    long long nSteps = nMax > 0 ? nMax : std::min(nLengthA, nLengthB) + 1LL;
    int nA = 0, nB = 0;
    while (nSteps-- > 0) {
        nA = nLengthA ? *pA++ : 0;
        nB = nLengthB ? *pB++ : 0;
        if (nA != nB || !nLengthA || !nLengthB)
            break;
        --nLengthA;
        --nLengthB;
    }
    return nA - nB;
}

int CBinary::Compare(const BYTE* pData, int nLength) const
{
    return nLength > 0 ? Compare(CBinary(pData, nLength), 0) : 0;
}

int CBinary::Compare(const CBinary& other, int nMax) const
{
    return CompareBytes(GetData(), GetLength(), other.GetData(), other.GetLength(), nMax);
}

// The first, the last or the number of visible positions where the pattern starts.
int CBinary::Scan(const BYTE* pPattern, int nLength, ScanMode mode) const
{
    const int nNone = mode == kAll ? 0 : -1;
    if (!pPattern || nLength < 1)
        return nNone;
    const BYTE* pData = GetData();
    const int nLast = GetLength() - nLength;
    int nFound = 0;
    for (int i = 0; i <= nLast; ++i) {
        const int nPos = mode == kLast ? nLast - i : i;
        if (pData[nPos] != pPattern[0] ||
            (nLength > 1 && CompareBytes(pData + nPos + 1, nLength - 1, pPattern + 1, nLength - 1,
                                         nLength - 1) != 0))
            continue;
        if (mode != kAll)
            return nPos;
        ++nFound;
    }
    return mode == kAll ? nFound : nNone;
}

void CBinary::DeleteHead(int nCount)
{
    DeleteEnd(nCount, true);
}

void CBinary::DeleteTail(int nCount)
{
    DeleteEnd(nCount, false);
}

// The remaining bytes go through a copy of their own: the copy back resizes
// the block they were read from. Views and locked buffers stay as they are.
void CBinary::DeleteEnd(int nCount, bool bHead)
{
    if (IsVirtual() || IsLocked() || nCount < 0)
        return;
    if (nCount >= GetLength()) {
        SetLength(0);
        return;
    }
    CBinary open = Focus(bHead ? nCount : 0);
    CBinary window = open.Focus(GetLength() - nCount);
    Copy(CBinary(window));
}

// A substance holding the window of nCount bytes from nStart (bFixed), or
// from nStart to the end, of a copy of this buffer.
CBinary CBinary::Window(int nStart, int nCount, bool bFixed) const
{
    CBinary whole(*this);
    CBinary open = whole.Focus(nStart);
    if (!bFixed)
        return CBinary(open);
    CBinary window = open.Focus(nCount);
    return CBinary(window);
}

CBinary CBinary::Left(int nCount) const
{
    return Window(0, nCount, true);
}

CBinary CBinary::Right(int nCount) const
{
    nCount = std::max(nCount, 0);
    return Window(GetLength() - nCount, nCount, true);
}

CBinary CBinary::Mid(int nStart) const
{
    return Window(nStart, 0, false);
}

CBinary CBinary::Mid(int nStart, int nCount) const
{
    return Window(nStart, nCount, true);
}

CString CBinary::AsString() const
{
    CString str;
    ToString(str);
    return str;
}

BOOL CBinary::ToString(CString& str) const
{
    const char* pText = reinterpret_cast<const char*>(GetBytes());
    const int nLength = pText ? GetLength() : 0;
    str = CString(pText, static_cast<int>(strnlen(pText ? pText : "", nLength)));
    return TRUE;
}

// An unlocked buffer holds exactly the text. A locked one takes as much of the
// text as fits, followed by a zero if there is room, so that ToString reads
// the text back.
BOOL CBinary::FromString(CString str)
{
    if (str.IsEmpty()) {
        Clear();
        return TRUE;
    }
    Set(reinterpret_cast<const BYTE*>(str.GetString()), str.GetLength());
    SetAt(str.GetLength(), 0);
    return TRUE;
}
