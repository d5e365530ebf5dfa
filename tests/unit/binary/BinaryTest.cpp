// The byte buffer: views, locking, the edges of sizes and indices, comparison
// and search. Random sequences against a plain vector are in the property test.
#include <gtest/gtest.h>

#include <climits>
#include <type_traits>
#include <utility>

#include "BinaryTestBytes.h"

TEST(Binary, FocusMakesWindowsThatStayInsideTheBlock)
{
    const int kOpen = INT_MIN;    // only one Focus step
    const int kCleared = INT_MAX; // one Focus step, then Clear
    struct Case {
        int nFirst, nSecond;
        int nOffset; // of the visible bytes in the substance; -1 for none
        int nLength;
        BOOL bLocked;
    } cases[] = {
        {2, 3, 2, 3, TRUE},          {3, kOpen, 3, 7, FALSE}, {12, kOpen, -1, 0, FALSE},
        {8, 5, 8, 2, TRUE},          {2, -5, 2, 0, TRUE},     {-4, 3, 0, 3, TRUE},
        {10, 1, -1, 0, TRUE},        {12, 2, -1, 0, TRUE},    {-1, kOpen, 0, 10, FALSE},
        {4, kCleared, -1, 0, FALSE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.nFirst << " then " << c.nSecond);
        CBinary sub = Unlocked("0123456789");
        CBinary open = sub.Focus(c.nFirst);
        CBinary view = c.nSecond == kOpen || c.nSecond == kCleared ? sub.Focus(c.nFirst)
                                                                   : open.Focus(c.nSecond);
        if (c.nSecond == kCleared)
            view.Clear();
        EXPECT_TRUE(view.IsVirtual());
        EXPECT_FALSE(sub.IsVirtual());
        EXPECT_EQ(c.nOffset < 0 ? nullptr : sub.GetData() + c.nOffset, view.GetData());
        EXPECT_EQ(c.nLength, view.GetLength());
        EXPECT_EQ(c.nLength == 0, view.IsEmpty() != FALSE);
        EXPECT_EQ(c.bLocked, view.IsLocked());
        // Every view is a source of the bytes it shows, none included.
        CBinary copy = Unlocked("old");
        copy = view;
        EXPECT_EQ(TRUE, copy.Append(view));
        EXPECT_EQ(Bytes(view) + Bytes(view), Bytes(copy));
    }
    CBinary sub = Unlocked("0123456789");

    // A fixed view focused again opens from its start plus the count.
    CBinary open = sub.Focus(2);
    CBinary fixed = open.Focus(3);
    EXPECT_EQ(sub.GetData() + 3, fixed.Focus(1).GetData());
    EXPECT_EQ(0, fixed.Focus(INT_MAX).GetLength());

    // A fixed length given to the constructor ends at the block's end; a view
    // writes through to its substance, and an open one grows it.
    CBinary wide(sub, 8, 100);
    EXPECT_EQ(2, wide.GetLength());
    wide.SetAt(1, 'x');
    wide.SetAt(2, 'y');
    CBinary tail = sub.Focus(8);
    EXPECT_EQ(TRUE, tail.Append(BytesOf("AB"), 2));
    EXPECT_EQ("01234567"
              "8xAB",
              Bytes(sub));
    EXPECT_EQ("8xAB", Bytes(tail));
}

namespace {
template <typename T, typename = void> struct FocusCompiles : std::false_type {
};
template <typename T>
struct FocusCompiles<T, std::void_t<decltype(std::declval<T>().Focus(1))>> : std::true_type {
};
static_assert(FocusCompiles<CBinary&>::value && !FocusCompiles<CBinary>::value,
              "a view of a temporary would point into a freed block");
} // namespace

TEST(Binary, LockedBuffersKeepTheirSize)
{
    CBinary sub = Unlocked("0123456789");
    CBinary open = sub.Focus(2);
    CBinary fixed = open.Focus(3);
    EXPECT_EQ(TRUE, fixed.Unlock());
    EXPECT_TRUE(fixed.IsLocked());
    fixed.DeleteHead(1);
    open.DeleteTail(1);

    CBinary locked(BytesOf("abc"), 3);
    EXPECT_EQ(TRUE, locked.Copy(Unlocked("VWXYZ")));
    EXPECT_EQ(FALSE, locked.Append(BytesOf("Z"), 1));
    EXPECT_EQ(FALSE, locked.SetSize(9));
    EXPECT_EQ(FALSE, locked.Clear());
    locked.DeleteHead(1);
    locked.DeleteTail(1);
    EXPECT_EQ("VWX", Bytes(locked));
    locked = 0x1234;
    EXPECT_EQ("4WX", Bytes(locked));
    locked.FromString("ab"); // the text, a zero if there is room
    EXPECT_EQ(std::string("ab\0", 3), Bytes(locked));
    EXPECT_STREQ("ab", locked.AsString());
    EXPECT_EQ(FALSE, locked.Unlock());
    EXPECT_TRUE(locked.IsFree());
    EXPECT_EQ(TRUE, locked.Append(BytesOf("Z"), 1));
    EXPECT_EQ(std::string("ab\0Z", 4), Bytes(locked));
    EXPECT_EQ("0123456789", Bytes(sub));
}

TEST(Binary, IntegersGiveTheirLowByte)
{
    auto check = [](auto value) {
        CBinary bin = Unlocked("old");
        bin = value;
        bin += value;
        EXPECT_EQ("\x34\x34", Bytes(bin));
    };
    check(0x1234);
    check(0x1234u);
    check(static_cast<WORD>(0x1234));
    check(static_cast<short>(0x1234));
    check(static_cast<BYTE>(0x34));
    check(static_cast<char>(0x34));
    check(static_cast<LONG>(0x1234));
    check(static_cast<DWORD>(0x1234));

    CBinary bin(0x1FF, 2);
    bin.Unlock();
    bin.AppendByte(0x120);
    EXPECT_EQ("\xFF\xFF ", Bytes(bin));
    EXPECT_EQ(std::string(3, '\0'), Bytes(CBinary(0, 3)));
}

// Sizes, counts and indices below zero, or a size past 32 bits, change nothing.
TEST(Binary, NegativeAndOverflowingSizesChangeNothing)
{
    CBinary bin = Unlocked("abcd");
    CBinary view = bin.Focus(2);
    EXPECT_EQ(FALSE, view.SetLength(INT_MAX));
    EXPECT_EQ(FALSE, bin.SetSize(-1));
    EXPECT_EQ(FALSE, bin.Set(BytesOf("x"), -1));
    EXPECT_EQ(FALSE, bin.Append(BytesOf("x"), -1));
    EXPECT_EQ(nullptr, bin.GetBufferSetLength(-1));
    EXPECT_EQ("", Bytes(bin.Right(INT_MIN)));
    EXPECT_EQ(0, CBinary(nullptr, -5).GetLength());
    EXPECT_EQ(0, CBinary('x', -5).GetLength());

    // Its own bytes are read before the block they lie in is replaced.
    bin.SetData(bin.GetData() + 1, 3);
    EXPECT_EQ("bcd", Bytes(bin));
}

TEST(Binary, CompareCountsMissingBytesAsZeroAndSearchesSeeOverlaps)
{
    struct Case {
        std::string a, b;
        int nMax, nCompare, nFind, nReverseFind, nCount;
    } cases[] = {
        {"abc", "abcd", 0, -0x64, -1, -1, 0}, {"abc", std::string("abc\0", 4), 0, 0, -1, -1, 0},
        {"aaaa", "aa", 0, 'a', 0, 2, 3},      {"abcabc", "c", 0, 'a' - 'c', 2, 5, 2},
        {"abx", "aby", 2, 0, -1, -1, 0},      {"\xFF", "", 0, 0xFF, -1, -1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.a + " / " + c.b);
        const CBinary a = Unlocked(c.a), b = Unlocked(c.b);
        EXPECT_EQ(c.nCompare, a.CompareBytes(BytesOf(c.a), static_cast<int>(c.a.size()),
                                             BytesOf(c.b), static_cast<int>(c.b.size()), c.nMax));
        EXPECT_EQ(c.nCompare, a.Compare(b, c.nMax));
        EXPECT_EQ(c.nFind, a.Find(b));
        EXPECT_EQ(c.nReverseFind, a.ReverseFind(b));
        EXPECT_EQ(c.nCount, a.Count(b));
        if (c.b.size() == 1) {
            EXPECT_EQ(c.nFind, a.Find(b.GetAt(0)));
            EXPECT_EQ(c.nReverseFind, a.ReverseFind(b.GetAt(0)));
            EXPECT_EQ(c.nCount, a.Count(b.GetAt(0)));
        }
    }
    EXPECT_EQ(0, Unlocked("abc").Compare(BytesOf("x"), 0));
    EXPECT_EQ(-1, Unlocked("abc").Find(nullptr, 1));
}
