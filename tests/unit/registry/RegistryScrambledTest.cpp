// Scrambled string values against the real registry: the stored form, the
// states of a value under the three operations in their three overloads, and
// stored values that do not decode.
#include "RegistryTestKey.h"

#include "Random.h"

#include <optional>

namespace {

// The helpers are protected: callers of the class cannot read a text back.
class CScrambleProbe : public CRegistry {
public:
    using CRegistry::CRegistry;
    using CRegistry::ReadScrambled;
    using CRegistry::Scramble;
    using CRegistry::Unscramble;
};

std::string Stored(const std::string& strPlain)
{
    CString str;
    EXPECT_TRUE(CScrambleProbe::Scramble(strPlain.c_str(), &str)) << strPlain;
    return str.str();
}

// The images of the characters alone, without a checksum in front.
std::string Images(const std::string& strText)
{
    return Stored(strText).substr(2);
}

enum Op { kVerify, kChange, kDelete };
// kWriteOnly: the open-key overload on a key opened without query access.
enum Overload { kRootSub = 1, kOpenKey = 2, kPath = 4, kAll = 7, kWriteOnly = 8 };

// One operation on the value "v"; the key is given as the overload takes it.
template <typename... Key>
BOOL Call(CRegistry& reg, Op op, const std::string& text, const char* pszNew, Key... key)
{
    const CString strText(text.data(), static_cast<int>(text.size())); // zeros kept
    return op == kVerify   ? reg.VerifyScrambled(key..., "v", strText)
           : op == kChange ? reg.ChangeScrambled(key..., "v", strText, pszNew)
                           : reg.DeleteScrambledIfMatch(key..., "v", strText);
}

} // namespace

class RegistryScrambledTest : public RegistryTest {
protected:
    // On the value "v" of the sub-key "s".
    BOOL Run(int nOverload, Op op, const std::string& text, const char* pszNew = "")
    {
        CRegistry reg(m_strPath);
        const CTestKey key(m_hTest, "s", nOverload == kWriteOnly ? KEY_SET_VALUE : KEY_ALL_ACCESS);
        return nOverload == kRootSub ? Call(reg, op, text, pszNew, HKEY_CURRENT_USER, Sub("s"))
               : nOverload == kPath  ? Call(reg, op, text, pszNew, CString("s"))
                                     : Call(reg, op, text, pszNew, key.Get());
    }

    // No value for nullopt.
    void Put(const std::optional<std::string>& data, DWORD dwType = REG_SZ) const
    {
        MakeKey("s");
        RegDeleteKeyValueA(m_hTest, "s", "v");
        if (data)
            RawSet("s", "v", dwType, data->data(), static_cast<DWORD>(data->size()));
    }

    std::string State() const
    {
        std::string strData;
        DWORD dwType = 0;
        return RawGet("s", "v", &strData, &dwType) ? std::to_string(dwType) + ":" + strData
                                                   : "absent";
    }
};

TEST(ScrambledFormTest, StoredImagesNeverChange)
{
    // Values already written decode only with these images.
    const struct {
        const char* pszPlain;
        const char* pszStored;
    } pinned[] = {{"abc", "Pao$A"}, {"", "zz"}, {"}~", ",6|8"}, {" ", "Y;/"}};
    for (const auto& p : pinned)
        EXPECT_EQ(p.pszStored, Stored(p.pszPlain)) << p.pszPlain;
    // The checksum 94 of abc, written as two digits in front of the text.
    EXPECT_EQ("Pao$A", Images("94abc"));
}

TEST_F(RegistryScrambledTest, StatesUnderEveryOperationThroughEveryOverload)
{
    const std::optional<std::string> absent, empty = Stored(""), abc = Stored("abc");
    const struct Case {
        std::optional<std::string> before; // REG_SZ text
        int nOverloads;
        Op op;
        std::string text; // the old text of a change
        const char* pszNew;
        BOOL bResult;
        std::optional<std::string> after;
    } cases[] = {
        // An absent value holds the empty text; a check with write access
        // creates it so, one opened for reading only fails.
        {absent, kRootSub, kVerify, "", "", FALSE, absent},
        {absent, kOpenKey | kPath, kVerify, "", "", TRUE, empty},
        {absent, kOpenKey | kPath, kVerify, "abc", "", FALSE, empty},
        {absent, kAll, kChange, "", "abc", TRUE, abc},
        {absent, kAll, kChange, "x", "abc", FALSE, empty},
        {absent, kAll, kDelete, "", "", TRUE, absent},
        {absent, kAll, kDelete, "x", "", FALSE, empty},
        // A decodable value, compared without regard to case.
        {abc, kAll, kVerify, "ABC", "", TRUE, abc},
        {abc, kAll, kVerify, "abd", "", FALSE, abc},
        {abc, kAll, kChange, "aBc", "New }~ text", TRUE, Stored("New }~ text")},
        {abc, kAll, kChange, "abx", "zzz", FALSE, abc},
        {abc, kAll, kChange, "abc", "", TRUE, empty},
        {abc, kAll, kDelete, "ABC", "", TRUE, absent},
        {abc, kAll, kDelete, "ab", "", FALSE, abc},
        // A zero byte is a character of its own, never passed over.
        {abc, kAll, kVerify, std::string("abc\0", 4), "", FALSE, abc},
        {abc, kAll, kChange, std::string("ab\0c", 4), "x", FALSE, abc},
        {abc, kAll, kDelete, std::string("\0abc", 4), "", FALSE, abc},
        // Not seen through a key without query access: not absent either.
        {abc, kWriteOnly, kVerify, "", "", FALSE, abc},
        {abc, kWriteOnly, kChange, "", "x", FALSE, abc},
        {abc, kWriteOnly, kDelete, "", "", FALSE, abc},
        // New texts that cannot be stored are refused before anything is written.
        {abc, kAll, kChange, "abc", "a\tb", FALSE, abc},
        {abc, kAll, kChange, "abc", "\x7F", FALSE, abc},
        {abc, kAll, kChange, "abc", "検索", FALSE, abc},
        {absent, kAll, kChange, "", "a\tb", FALSE, absent},
        // Checksum characters that are no digits but give the checksum.
        {Images(":*abc"), kAll, kVerify, "abc", "", TRUE, Images(":*abc")},
        {Images("/:"), kAll, kChange, "", "d", TRUE, Stored("d")},
    };
    for (const Case& c : cases) {
        for (int nOverload : {kRootSub, kOpenKey, kPath, kWriteOnly}) {
            if (!(c.nOverloads & nOverload))
                continue;
            Put(c.before ? *c.before + '\0' : c.before);
            SCOPED_TRACE(testing::Message() << State() << " overload " << nOverload << " op "
                                            << c.op << " '" << c.text << "' '" << c.pszNew);
            EXPECT_EQ(c.bResult, Run(nOverload, c.op, c.text, c.pszNew));
            EXPECT_EQ(c.after ? "1:" + *c.after + '\0' : "absent", State());
        }
    }
}

TEST_F(RegistryScrambledTest, UndecodableValuesFailEverythingAndStayAsTheyAre)
{
    const struct {
        DWORD dwType;
        std::string strData;
    } values[] = {
        {REG_SZ, std::string(1, '\0')},
        {REG_SZ, Images("9") + '\0'},
        {REG_SZ, Stored("abc") + '\x7F' + '\0'}, // no preimage
        {REG_SZ, Stored("a") + "検" + '\0'},     // nor for Shift-JIS bytes
        {REG_SZ, Images("95abc") + '\0'},        // wrong checksum
        {REG_SZ, Images("94abcd") + '\0'},       // the checksum of another text
        {REG_EXPAND_SZ, Stored("abc") + '\0'},   // decodable, but of a type not written here
        {REG_BINARY, Stored("abc") + '\0'},
        {REG_MULTI_SZ, Stored("abc") + '\0' + '\0'},
        {REG_DWORD, Images("00") + std::string(2, '\0')},
    };
    for (const auto& v : values) {
        for (int nOverload : {kRootSub, kOpenKey, kPath}) {
            for (Op op : {kVerify, kChange, kDelete}) {
                for (const char* pszText : {"", "abc"}) {
                    Put(v.strData, v.dwType);
                    const std::string strBefore = State();
                    SCOPED_TRACE(testing::Message() << strBefore << " overload " << nOverload
                                                    << " op " << op << " '" << pszText << "'");
                    EXPECT_EQ(FALSE, Run(nOverload, op, pszText, "new"));
                    EXPECT_EQ(strBefore, State());
                }
            }
        }
    }
}

TEST_F(RegistryScrambledTest, RandomPrintableTextsRoundTrip)
{
    CTestRandom random(10);
    std::string strPrintable, strCurrent;
    for (char c = 0x20; c < 0x7F; ++c)
        strPrintable += c;
    CScrambleProbe reg(m_strPath);
    Put(std::nullopt);
    for (int i = 0; i < 3000; ++i) {
        const std::string strText = random.Text(40, strPrintable);
        const std::string strStored = Stored(strText);
        ASSERT_EQ(strText.size() + 2, strStored.size());
        ASSERT_EQ(std::string::npos, strStored.find_first_not_of(strPrintable)) << strStored;
        CString strPlain;
        ASSERT_TRUE(CScrambleProbe::Unscramble(strStored.c_str(), &strPlain));
        ASSERT_EQ(strText, strPlain.str());

        // Any bytes: only texts of printable characters can be scrambled.
        const std::string strAny = random.Text(8);
        ASSERT_EQ(strAny.find_first_not_of(strPrintable) == std::string::npos,
                  CScrambleProbe::Scramble(strAny.c_str(), &strPlain) != FALSE);
        // Any stored form that decodes holds the images of its plain text.
        const std::string strForm = random.Text(6, strPrintable);
        if (CScrambleProbe::Unscramble(strForm.c_str(), &strPlain)) {
            ASSERT_EQ(Images(strPlain.str()), strForm.substr(2)) << strForm;
        }

        if (i % 15 == 0) { // and through the registry, in turn through each overload
            std::string strUpper = strText;
            CharUpperBuffA(&strUpper[0], static_cast<DWORD>(strUpper.size()));
            const int nOverload = 1 << (i / 15 % 3);
            ASSERT_EQ(TRUE, Run(nOverload, kChange, strCurrent.c_str(), strText.c_str())) << i;
            ASSERT_EQ(TRUE, Run(nOverload, kVerify, strUpper.c_str())) << strText;
            ASSERT_EQ(FALSE, Run(nOverload, kVerify, (strText + "x").c_str())) << strText;
            ASSERT_EQ(TRUE, reg.ReadScrambled("s", "v", &strPlain));
            ASSERT_EQ(strText, strPlain.str());
            strCurrent = strText;
        }
    }
}
