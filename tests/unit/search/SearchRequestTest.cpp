#include <gtest/gtest.h>

#include "app/WebPages.h"
#include "search/SearchRequest.h"

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
