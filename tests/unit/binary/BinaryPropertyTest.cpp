// Random sequences of operations against a plain vector of bytes, with every
// block given back at the end.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "BinaryTestBytes.h"
#include "CountedHeap.h"
#include "Random.h"

namespace {

using Model = std::vector<BYTE>;

// Few letters, so that patterns match; zeros, so that strings end early.
const std::string kAlphabet("ab\0\xFF", 4);

std::string Str(const Model& m)
{
    return std::string(m.begin(), m.end());
}

// Model slice: from a start clamped to [0, size], at most n bytes.
Model Slice(const Model& m, int nStart, int nCount)
{
    const int nSize = static_cast<int>(m.size());
    nStart = std::min(std::max(nStart, 0), nSize);
    nCount = std::min(std::max(nCount, 0), nSize - nStart);
    return Model(m.begin() + nStart, m.begin() + nStart + nCount);
}

std::vector<int> Matches(const Model& m, const std::string& pattern)
{
    std::vector<int> positions;
    for (size_t i = 0; !pattern.empty() && i + pattern.size() <= m.size(); ++i)
        if (std::equal(pattern.begin(), pattern.end(), m.begin() + static_cast<long>(i),
                       [](char c, BYTE b) { return static_cast<BYTE>(c) == b; }))
            positions.push_back(static_cast<int>(i));
    return positions;
}

// The first difference over the positions up to the shorter length, a
// missing byte reading as zero.
int CompareModel(const Model& a, const Model& b)
{
    for (size_t i = 0; i <= std::min(a.size(), b.size()); ++i) {
        const int nA = i < a.size() ? a[i] : 0, nB = i < b.size() ? b[i] : 0;
        if (nA != nB)
            return nA - nB;
    }
    return 0;
}

void RunSteps(uint64_t seed, int nSteps)
{
    CTestRandom rnd(seed);
    CBinary bin;
    Model model;
    for (int nStep = 0; nStep < nSteps; ++nStep) {
        const int nSize = static_cast<int>(model.size());
        const int a = rnd.Between(-2, nSize + 2), b = rnd.Between(-2, 12);
        const std::string bytes = rnd.Text(6, kAlphabet);
        const Model other(bytes.begin(), bytes.end());
        const int nOp = rnd.Below(15);
        SCOPED_TRACE(testing::Message() << "seed " << seed << " step " << nStep << " op " << nOp);
        switch (nOp) {
        case 0:
            ASSERT_EQ(b >= 0, bin.SetLength(b) != FALSE);
            if (b >= 0)
                model.resize(static_cast<size_t>(b));
            break;
        case 1:
            bin.SetAt(a, static_cast<BYTE>(b));
            if (a >= 0 && a < nSize)
                model[static_cast<size_t>(a)] = static_cast<BYTE>(b);
            ASSERT_EQ(a >= 0 && a < nSize ? model[static_cast<size_t>(a)] : 0, bin.GetAt(a));
            break;
        case 2:
            bin.Append(BytesOf(bytes), static_cast<int>(bytes.size()));
            model.insert(model.end(), other.begin(), other.end());
            break;
        case 3:
            bin += b;
            model.push_back(static_cast<BYTE>(b));
            break;
        case 4: // a text may hold zeros; they are stored as they are
            if (rnd.OneIn(2))
                bin.Set(BytesOf(bytes), static_cast<int>(bytes.size()));
            else
                bin.FromString(CString(bytes.data(), static_cast<int>(bytes.size())));
            model = other;
            break;
        case 5:
            ASSERT_EQ(b >= 0, bin.Fill('z', b) != FALSE);
            if (b >= 0)
                model.assign(static_cast<size_t>(b), 'z');
            break;
        case 6:
            bin.DeleteHead(a);
            model = a < 0 ? model : Slice(model, a, nSize);
            break;
        case 7:
            bin.DeleteTail(a);
            model = a < 0 ? model : Slice(model, 0, nSize - a);
            break;
        case 8:
            ASSERT_EQ(Str(Slice(model, 0, b)), Bytes(bin.Left(b)));
            ASSERT_EQ(Str(Slice(model, nSize - std::max(b, 0), b)), Bytes(bin.Right(b)));
            ASSERT_EQ(Str(Slice(model, a, nSize)), Bytes(bin.Mid(a)));
            ASSERT_EQ(Str(Slice(model, a, b)), Bytes(bin.Mid(a, b)));
            break;
        case 9: {
            const std::vector<int> found = Matches(model, bytes);
            ASSERT_EQ(found.empty() ? -1 : found.front(), bin.Find(Unlocked(bytes)));
            ASSERT_EQ(found.empty() ? -1 : found.back(), bin.ReverseFind(Unlocked(bytes)));
            ASSERT_EQ(static_cast<int>(found.size()), bin.Count(Unlocked(bytes)));
            if (bytes.size() == 1) {
                ASSERT_EQ(found.empty() ? -1 : found.front(), bin.Find(other[0]));
                ASSERT_EQ(found.empty() ? -1 : found.back(), bin.ReverseFind(other[0]));
                ASSERT_EQ(static_cast<int>(found.size()), bin.Count(other[0]));
            }
            ASSERT_EQ(CompareModel(model, other), bin.Compare(Unlocked(bytes), 0));
            break;
        }
        case 10: // the buffer's own bytes, through a window onto itself; a
                 // window past the end shows no bytes, so none are left
            bin = bin.Focus(a);
            model = Slice(model, a, nSize);
            break;
        case 11: {
            CBinary open = bin.Focus(a);
            bin += open.Focus(b);
            const Model part = Slice(model, a, b);
            model.insert(model.end(), part.begin(), part.end());
            break;
        }
        case 12: { // locked: the size stays, copies fill what there is
            bin.Lock();
            bin.Append(BytesOf(bytes), static_cast<int>(bytes.size()));
            bin.DeleteHead(1);
            ASSERT_EQ(FALSE, bin.SetLength(b));
            bin.Copy(Unlocked(bytes));
            if (nSize > 0)
                std::copy_n(other.begin(), std::min(other.size(), model.size()), model.begin());
            ASSERT_EQ(FALSE, bin.Unlock());
            break;
        }
        case 13: { // writing through a fixed view
            CBinary open = bin.Focus(a);
            CBinary view = open.Focus(b);
            view.SetAt(0, 0x5A);
            if (std::max(a, 0) < nSize && b > 0)
                model[static_cast<size_t>(std::max(a, 0))] = 0x5A;
            break;
        }
        case 14: { // a view never reaches past its window or its substance's lock
            CBinary open = bin.Focus(a);
            bin.Lock();
            open.Unlock();
            ASSERT_EQ(FALSE, open.Append(BytesOf(bytes), static_cast<int>(bytes.size())));
            ASSERT_EQ(FALSE, bin.Unlock());
            CBinary refocused = bin.Focus(b);
            refocused.SetFocus(-1, -1); // no longer virtual, still not the block's owner
            refocused.Free();
            open.Clear();
            model.resize(static_cast<size_t>(std::min(std::max(a, 0), nSize)));
            break;
        }
        }
        ASSERT_EQ(Str(model), Bytes(bin));
        ASSERT_EQ(std::string(Str(model).c_str()), std::string(bin.AsString()));
    }
}

} // namespace

TEST(BinaryProperty, RandomOperationsMatchAVectorAndFreeEveryBlock)
{
    const long nBefore = LiveBlocks();
    for (uint64_t seed = 1; seed <= 8; ++seed)
        RunSteps(seed, 1500);
    EXPECT_EQ(nBefore, LiveBlocks());
    EXPECT_EQ(0, DamagedBlocks());

    // The count sees a block that is held.
    const CBinary held('x', 4);
    EXPECT_EQ(nBefore + 1, LiveBlocks());
}
