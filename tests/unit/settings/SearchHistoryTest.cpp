#include <gtest/gtest.h>

#include <algorithm>

#include "Random.h"
#include "TestSupport.h"

#include "settings/SearchHistory.h"

#include <iterator>
#include <string>

namespace {

std::vector<CString> List(std::initializer_list<const char*> items)
{
    std::vector<CString> v;
    for (const char* s : items)
        v.emplace_back(s);
    return v;
}

std::vector<std::string> Strings(const std::vector<CString>& v)
{
    std::vector<std::string> out;
    for (const CString& s : v)
        out.push_back(s.str());
    return out;
}

using Names = std::vector<std::string>;

} // namespace

TEST(PutQueryFirst, ReplacesEqualEntriesKeepingTheNewCasing)
{
    auto h = List({"ABC", "x"});
    PutQueryFirst(&h, "abc");
    EXPECT_EQ(Strings(h), (Names{"abc", "x"}));

    h = List({"one", "Two", "three", "TWO"});
    PutQueryFirst(&h, "two");
    EXPECT_EQ(Strings(h), (Names{"two", "one", "three"}));
}

TEST(PutQueryFirst, MovesAMiddleEntryToTheTopAndKeepsOtherDuplicates)
{
    auto h = List({"a", "b", "c", "d"});
    PutQueryFirst(&h, "c");
    EXPECT_EQ(Strings(h), (Names{"c", "a", "b", "d"}));

    h = List({"dup", "DUP", "x"});
    PutQueryFirst(&h, "y");
    EXPECT_EQ(Strings(h), (Names{"y", "dup", "DUP", "x"}));

    // An empty query is no entry: the list stays as it is.
    h = List({"a", "b"});
    PutQueryFirst(&h, "");
    EXPECT_EQ(Strings(h), (Names{"a", "b"}));
}

TEST(PutQueryFirst, DropsTheOldestBeyondSixteen)
{
    std::vector<CString> h;
    for (int i = 0; i < kHistoryLimit; ++i) {
        CString s;
        s.Format("q%d", i);
        h.insert(h.begin(), s);
    }
    PutQueryFirst(&h, "new");
    ASSERT_EQ(h.size(), 16u);
    EXPECT_EQ(h.front().str(), "new");
    EXPECT_EQ(h[1].str(), "q15");
    EXPECT_EQ(h.back().str(), "q1");

    // Replacing an entry of a full list drops nothing else.
    PutQueryFirst(&h, "Q1");
    ASSERT_EQ(h.size(), 16u);
    EXPECT_EQ(h.front().str(), "Q1");
    EXPECT_EQ(h.back().str(), "q2");
}

TEST(IsSameQuery, FoldsOnlyAsciiLettersOfSingleBytes)
{
    EXPECT_TRUE(IsSameQuery("Hello World", "hELLO wORLD"));
    EXPECT_FALSE(IsSameQuery("abc", "abcd"));
    EXPECT_FALSE(IsSameQuery("a-b", "a_b"));
    EXPECT_TRUE(IsSameQuery("", ""));
    // '@' and '[' sit next to 'A' and 'Z'; '`' and '{' next to 'a' and 'z'.
    EXPECT_FALSE(IsSameQuery("@[", "`{"));
}

// Shift-JIS on every code page the process may run with.
TEST(IsSameQuery, DoubleByteCharactersOfCodePage932)
{
    // Full-width a and A: equal through the locale's case mapping.
    EXPECT_TRUE(IsSameQuery("\x82\x81", "\x82\x60"));
    EXPECT_TRUE(IsSameQuery("x\x82\x81y", "X\x82\x60Y"));
    // Two different characters whose trail bytes differ only by ASCII case.
    EXPECT_FALSE(IsSameQuery("\x83\x61", "\x83\x41"));
    EXPECT_FALSE(IsSameQuery("a\x83\x61", "A\x83\x41"));
    // Half-width katakana are single bytes and have no case.
    EXPECT_FALSE(IsSameQuery("\xB1", "\xB2"));
    EXPECT_TRUE(IsSameQuery("検索", "検索"));
    // Only A-Z and a-z are folded among single bytes.
    EXPECT_FALSE(IsSameQuery("\xC9", "\xE9"));
}

TEST(PutQueryFirst, UsesTheCodePageForDoubleByteEntries)
{
    auto h = List({"\x83\x41", "\x82\x60\x82\x61", "z"});
    PutQueryFirst(&h, "\x82\x81\x82\x82");
    EXPECT_EQ(Strings(h), (Names{"\x82\x81\x82\x82", "\x83\x41", "z"}));
    PutQueryFirst(&h, "\x83\x61");
    EXPECT_EQ(Strings(h), (Names{"\x83\x61", "\x82\x81\x82\x82", "\x83\x41", "z"}));
}

// Random searches in a row; a failure names its seed, which replays it.
TEST(PutQueryFirst, KeepsAtMostSixteenDistinctEntriesNewestFirstOthersInOrder)
{
    // Few, short texts, so that equal entries in other letter cases and
    // full-width letters of both cases come up often.
    static const char* const kWords[] = {
        "a",        "A",         "ab",        "aB",       "Ab",       "b", "\x82\x81",
        "\x82\x60", "x\x82\x81", "X\x82\x60", "\x83\x61", "\x83\x41", ""};
    for (uint64_t seed = 1; seed <= 500; ++seed) {
        CTestRandom rnd(seed);
        std::vector<CString> history;
        for (int step = 0; step < 40; ++step) {
            CString query;
            for (int n = rnd.Between(1, 3); n > 0; --n)
                query += kWords[rnd.Below(static_cast<int>(std::size(kWords)))];
            if (rnd.OneIn(10))
                query.Empty();
            if (rnd.OneIn(4))
                query.Format("q%d", rnd.Below(1000)); // fills the list up

            const std::vector<CString> before = history;
            PutQueryFirst(&history, query);
            SCOPED_TRACE(testing::Message() << seed << " step " << step);
            // The query on top with its own letters; below it the older
            // entries that are not the query, in their order, none lost but
            // the oldest beyond the limit.
            const size_t nFirst = query.IsEmpty() ? 0 : 1;
            if (nFirst)
                ASSERT_EQ(history[0], query);
            auto next = before.begin();
            for (size_t i = nFirst; i < history.size(); ++i) {
                ASSERT_FALSE(nFirst && IsSameQuery(history[i], query));
                next = std::find(next, before.end(), history[i]);
                ASSERT_NE(next, before.end()) << "out of order: " << history[i].str();
                ++next;
            }
            const auto nOthers = std::count_if(before.begin(), before.end(), [&](const CString& e) {
                return !nFirst || !IsSameQuery(e, query);
            });
            ASSERT_EQ(history.size(), std::min<size_t>(kHistoryLimit, nFirst + nOthers));
            for (size_t i = 0; i < history.size(); ++i)
                for (size_t j = i + 1; j < history.size(); ++j)
                    ASSERT_FALSE(IsSameQuery(history[i], history[j]));
        }
    }
}
