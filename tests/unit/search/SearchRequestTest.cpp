#include <gtest/gtest.h>

#include "Random.h"
#include "framework/MbString.h"
#include "search/SearchRequest.h"

#include <cstring>
#include <string>

namespace {

std::string Encode(const char* text)
{
    CString out("left over");
    EncodeSearchText(text, &out);
    return out.str();
}

std::string Address(const char* tail)
{
    return std::string(kSearchService) + tail;
}

const char* const kSuffix[] = {"&hc=0&hs=0", "&s=o", "&s=e"};

// The encoder's own characters: a pair lead takes the next byte with it.
size_t CharLength(const std::string& s, size_t i)
{
    return static_cast<size_t>(MbCharLength(s.c_str() + i, -1, MbIsAddressLeadByte));
}

const char kAddressBytes[] =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789*-.@_+%";

// The query bytes an encoded query stands for; a zero byte, which no query
// holds, marks an escape that is not "%" and two upper-case hex digits.
std::string Decode(const std::string& encoded)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (size_t i = 0; i < encoded.size(); ++i) {
        if (encoded[i] == '+') {
            out += ' ';
        } else if (encoded[i] != '%') {
            out += encoded[i];
        } else {
            const char* hi = i + 2 < encoded.size() ? std::strchr(kHex, encoded[i + 1]) : nullptr;
            const char* lo = hi ? std::strchr(kHex, encoded[i + 2]) : nullptr;
            if (!hi || !lo || !*hi || !*lo)
                return out + '\0';
            out += static_cast<char>((hi - kHex) * 16 + (lo - kHex));
            i += 2;
        }
    }
    return out;
}

// Random queries lean on the bytes the encoder treats specially.
std::string RandomQuery(CTestRandom& rnd)
{
    static const std::string kBytes("aZ09*-.@_ +%&=/?\t\x7F\x80\x81\x9F\xA0\xB1\xDF\xE0\xFC\xFF"
                                    "\x40\x5C");
    const int nMax = rnd.OneIn(8) ? 600 : 40;
    return rnd.OneIn(3) ? rnd.Text(nMax) : rnd.Text(nMax, kBytes);
}

} // namespace

TEST(EncodeSearchText, KeepsLettersDigitsAndFivePunctuationBytes)
{
    const char* plain = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    EXPECT_EQ(Encode(plain), plain);
    EXPECT_EQ(Encode("*-.@_"), "*-.@_");
    EXPECT_EQ(Encode(""), "");
    EXPECT_EQ(Encode(nullptr), "");
}

TEST(EncodeSearchText, BlankBecomesPlusAndOtherAsciiIsEscaped)
{
    EXPECT_EQ(Encode("a b"), "a+b");
    EXPECT_EQ(Encode(" a "), "+a+");
    EXPECT_EQ(Encode("1+1"), "1%2B1");
    EXPECT_EQ(Encode("100%"), "100%25");
    EXPECT_EQ(Encode("x&y=z"), "x%26y%3Dz");
    EXPECT_EQ(Encode("\t"), "%09");
    EXPECT_EQ(Encode("/?#~!\"'"), "%2F%3F%23%7E%21%22%27");
    EXPECT_EQ(Encode("\x01\x1F\x7F"), "%01%1F%7F");
}

TEST(EncodeSearchText, DoubleByteCharactersAreEscapedAsPairs)
{
    // The second byte of a pair is escaped even when it is a letter or a digit.
    EXPECT_EQ(Encode("\x83\x41"), "%83%41");
    EXPECT_EQ(Encode("\x80"
                     "A"),
              "%80%41");
    EXPECT_EQ(Encode("\x9F"
                     "0\xE0"
                     "a\xFF"
                     "*"),
              "%9F%30%E0%61%FF%2A");
    EXPECT_EQ(Encode("検索 ok"), "%8C%9F%8D%F5+ok");
    // Half-width katakana stand alone; the byte after them is judged by itself.
    EXPECT_EQ(Encode("\xB1"
                     "A"),
              "%B1A");
    EXPECT_EQ(Encode("\xA0\xDF"
                     "b"),
              "%A0%DFb");
}

TEST(EncodeSearchText, LoneLeadByteAtTheEndIsEscapedAloneWithoutReadingOn)
{
    // The bytes after the terminating zero must not show up in the result.
    const char text[] = {'a', '\x83', '\0', 'Z', 'Z', '\0'};
    EXPECT_EQ(Encode(text), "a%83");
    EXPECT_EQ(Encode("\xE0"), "%E0");
    EXPECT_EQ(Encode("\x82\xA0\x9F"), "%82%A0%9F");
}

TEST(BuildSearchAddress, ChoosesTheTemplateByMode)
{
    EXPECT_EQ(BuildSearchAddress(0, "a b").str(), Address("/bin/query?p=a+b&hc=0&hs=0"));
    EXPECT_EQ(BuildSearchAddress(1, "a b").str(), Address("/bin/query?p=a+b&s=o"));
    EXPECT_EQ(BuildSearchAddress(2, "a b").str(), Address("/bin/query?p=a+b&s=e"));
    // Nothing selected, or a mode from nowhere: the first template.
    EXPECT_EQ(BuildSearchAddress(-1, "a b").str(), Address("/bin/query?p=a+b&hc=0&hs=0"));
    EXPECT_EQ(BuildSearchAddress(7, "a b").str(), Address("/bin/query?p=a+b&hc=0&hs=0"));
    EXPECT_EQ(BuildSearchAddress(3, "").str(), Address("/bin/query?p=&hc=0&hs=0"));
}

TEST(BuildSearchAddress, InsertedQueryIsNotReplacedAgain)
{
    EXPECT_EQ(BuildSearchAddress(0, "SEARCH_TEXT").str(),
              Address("/bin/query?p=SEARCH_TEXT&hc=0&hs=0"));
    EXPECT_EQ(BuildSearchAddress(2, "SEARCH_TEXT SEARCH_TEXT").str(),
              Address("/bin/query?p=SEARCH_TEXT+SEARCH_TEXT&s=e"));
    EXPECT_EQ(BuildSearchAddress(1, "\x83\x41&").str(), Address("/bin/query?p=%83%41%26&s=o"));
}

// Thousands of random queries; a failure names its seed, which replays it.
TEST(BuildSearchAddress, IsBoundedAndDecodesToAWholeCharacterStartOfTheQuery)
{
    const std::string prefix = std::string(kSearchService) + "/bin/query?p=";
    for (uint64_t seed = 1; seed <= 10000; ++seed) {
        CTestRandom rnd(seed);
        const std::string query = RandomQuery(rnd);
        const int mode = rnd.Between(-1, 3);
        const std::string address = BuildSearchAddress(mode, query.c_str()).str();
        const std::string suffix = kSuffix[mode == 1 || mode == 2 ? mode : 0];

        ASSERT_LE(address.size(), static_cast<size_t>(kMaxSearchAddress)) << seed;
        ASSERT_EQ(address.compare(0, prefix.size(), prefix), 0) << seed;
        ASSERT_GE(address.size(), prefix.size() + suffix.size()) << seed;
        ASSERT_EQ(address.substr(address.size() - suffix.size()), suffix) << seed;
        const std::string middle =
            address.substr(prefix.size(), address.size() - prefix.size() - suffix.size());
        ASSERT_EQ(middle.find_first_not_of(kAddressBytes), std::string::npos) << seed;
        const std::string decoded = Decode(middle);
        ASSERT_EQ(query.compare(0, decoded.size(), decoded), 0) << seed << " " << middle;

        // Cut only where the next whole character would not fit.
        size_t end = 0;
        while (end < decoded.size())
            end += CharLength(query, end);
        ASSERT_EQ(end, decoded.size()) << seed << ": cut inside a character";
        if (decoded.size() < query.size()) {
            CString next;
            EncodeSearchText(query.substr(0, end + CharLength(query, end)).c_str(), &next);
            ASSERT_GT(prefix.size() + next.GetLength() + suffix.size(),
                      static_cast<size_t>(kMaxSearchAddress))
                << seed;
        }

        // Unbounded, the encoding gives back every byte, a last lone lead byte too.
        CString whole;
        EncodeSearchText(query.c_str(), &whole);
        ASSERT_EQ(Decode(whole.str()), query) << seed;
    }
}
