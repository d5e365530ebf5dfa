// Typed values in their three overloads, against the real registry.
#include "RegistryTestKey.h"

#include <cstring>

TEST_F(RegistryTest, WritesCreateMissingKeysAndStoreTheDocumentedFormats)
{
    CRegistry reg(m_strPath);
    EXPECT_EQ(TRUE, reg.SetInt(HKEY_CURRENT_USER, Sub("VORNELIX\\Quillfind\\WinPos\\Search"),
                               "posX", -1));
    EXPECT_EQ(TRUE, reg.SetInt("WinPos\\Search", "posY", -32000));
    EXPECT_EQ(TRUE, reg.SetDword("", "mode", 2));
    EXPECT_EQ(TRUE, reg.SetWord("w", "word", 0xFFFF));
    EXPECT_EQ(TRUE, reg.SetLong(m_hTest, "long", -2));
    EXPECT_EQ(TRUE, reg.SetString("text", "text00", "検索"));
    EXPECT_EQ(TRUE, reg.SetString("text", "empty", ""));
    const BYTE bytes[3] = {0, 0xFF, 0x5C};
    EXPECT_EQ(TRUE, reg.SetBinary("bin", "b", bytes, sizeof(bytes)));

    struct Expected {
        const char* pszKey;
        const char* pszName;
        DWORD dwType;
        std::string strData;
    } expected[] = {
        {"VORNELIX\\Quillfind\\WinPos\\Search", "posX", REG_DWORD, std::string(4, '\xFF')},
        {"WinPos\\Search", "posY", REG_DWORD, std::string("\x00\x83\xFF\xFF", 4)},
        {"", "mode", REG_DWORD, std::string("\x02\0\0\0", 4)},
        {"w", "word", REG_DWORD, std::string("\xFF\xFF\0\0", 4)},
        {"", "long", REG_DWORD, std::string("\xFE\xFF\xFF\xFF", 4)},
        {"text", "text00", REG_SZ, std::string("検索", 5)},
        {"text", "empty", REG_SZ, std::string(1, '\0')},
        {"bin", "b", REG_BINARY, std::string("\0\xFF\x5C", 3)},
    };
    for (const Expected& e : expected) {
        SCOPED_TRACE(e.pszName);
        std::string strData;
        DWORD dwType = 0;
        ASSERT_TRUE(RawGet(e.pszKey, e.pszName, &strData, &dwType));
        EXPECT_EQ(e.dwType, dwType);
        EXPECT_EQ(e.strData, strData);
    }

    int n = 0;
    EXPECT_EQ(TRUE, reg.GetInt("VORNELIX\\Quillfind\\WinPos\\Search", "posX", &n));
    EXPECT_EQ(-1, n);
    WORD w = 0;
    EXPECT_EQ(TRUE, reg.GetWord(HKEY_CURRENT_USER, Sub("w"), "word", &w));
    EXPECT_EQ(0xFFFF, w);
    CString str = "old";
    EXPECT_EQ(TRUE, reg.GetString("text", "empty", &str));
    EXPECT_STREQ("", str);
    EXPECT_EQ(TRUE, reg.GetString("text", "text00", &str));
    EXPECT_STREQ("検索", str);
    DWORD dwType = 0;
    EXPECT_EQ(TRUE, reg.GetValueType("bin", "b", &dwType));
    EXPECT_EQ(static_cast<DWORD>(REG_BINARY), dwType);
    BYTE buffer[8] = {};
    DWORD cb = sizeof(buffer);
    EXPECT_EQ(TRUE, reg.GetBinary("bin", "b", buffer, &cb));
    EXPECT_EQ(3u, cb);
    EXPECT_EQ(0, std::memcmp(buffer, bytes, 3));
}

TEST_F(RegistryTest, ReadsCopyTheStoredBytesWhateverTheirType)
{
    RawSet("", "sz7", REG_SZ, "7", 2);
    RawSetDword("", "dw41", 0x41);
    RawSet("", "multi", REG_MULTI_SZ, "first\0second\0", 14);
    RawSetDword("", "big", 0x12345678);
    CRegistry reg(m_strPath);

    // Two stored bytes replace only the two low-order bytes.
    int n = 0x11223344;
    EXPECT_EQ(TRUE, reg.GetInt("", "sz7", &n));
    EXPECT_EQ(0x11220037, n);
    DWORD dw = 0xAABBCCDD;
    EXPECT_EQ(TRUE, reg.GetDword(m_hTest, "sz7", &dw));
    EXPECT_EQ(0xAABB0037u, dw);
    long l = 0x11223344;
    EXPECT_EQ(TRUE, reg.GetLong(HKEY_CURRENT_USER, m_strSubKey, "sz7", &l));
    EXPECT_EQ(0x11220037L, l);
    WORD w = 0xFFFF;
    EXPECT_EQ(TRUE, reg.GetWord("", "sz7", &w));
    EXPECT_EQ(0x0037, w);
    EXPECT_EQ(TRUE, reg.GetWord("", "big", &w));
    EXPECT_EQ(0x5678, w);

    CString str;
    EXPECT_EQ(TRUE, reg.GetString("", "dw41", &str));
    EXPECT_STREQ("A", str);
    EXPECT_EQ(TRUE, reg.GetString(m_hTest, "multi", &str));
    EXPECT_STREQ("first", str);
    DWORD dwType = 0;
    EXPECT_EQ(TRUE, reg.GetValueType(HKEY_CURRENT_USER, m_strSubKey, "multi", &dwType));
    EXPECT_EQ(static_cast<DWORD>(REG_MULTI_SZ), dwType);
}

TEST_F(RegistryTest, FailedReadsLeaveOutputsAsDocumented)
{
    RawSet("", "eight", REG_BINARY, "12345678", 8);
    CRegistry reg(m_strPath);
    const CString strMissing = Sub("missing");

    // Integers and types: untouched on a missing key, a missing value, or data too long.
    int n = 7;
    DWORD dw = 7, dwType = 77;
    WORD w = 7;
    long l = 7;
    for (const char* pszName : {"absent", "eight"}) {
        SCOPED_TRACE(pszName);
        EXPECT_EQ(FALSE, reg.GetInt("", pszName, &n));
        EXPECT_EQ(FALSE, reg.GetInt(m_hTest, pszName, &n));
        EXPECT_EQ(FALSE, reg.GetDword("", pszName, &dw));
        EXPECT_EQ(FALSE, reg.GetWord(m_hTest, pszName, &w));
        EXPECT_EQ(FALSE, reg.GetLong(HKEY_CURRENT_USER, m_strSubKey, pszName, &l));
    }
    EXPECT_EQ(FALSE, reg.GetInt(HKEY_CURRENT_USER, strMissing, "v", &n));
    EXPECT_EQ(FALSE, reg.GetDword("missing", "v", &dw));
    EXPECT_EQ(FALSE, reg.GetWord("missing", "v", &w));
    EXPECT_EQ(FALSE, reg.GetLong("missing", "v", &l));
    EXPECT_EQ(FALSE, reg.GetValueType("", "absent", &dwType));
    EXPECT_EQ(FALSE, reg.GetValueType(HKEY_CURRENT_USER, strMissing, "v", &dwType));
    EXPECT_EQ(7, n);
    EXPECT_EQ(7u, dw);
    EXPECT_EQ(7, w);
    EXPECT_EQ(7L, l);
    EXPECT_EQ(77u, dwType);

    // Strings: the open-key read keeps the old text, the other two empty it.
    CString str = "old";
    EXPECT_EQ(FALSE, reg.GetString(m_hTest, "absent", &str));
    EXPECT_STREQ("old", str);
    EXPECT_EQ(FALSE, reg.GetString(HKEY_CURRENT_USER, m_strSubKey, "absent", &str));
    EXPECT_STREQ("", str);
    str = "old";
    EXPECT_EQ(FALSE, reg.GetString("missing", "v", &str));
    EXPECT_STREQ("", str);
    str = "old";
    EXPECT_EQ(FALSE, reg.GetString(HKEY_CURRENT_USER, strMissing, "v", &str));
    EXPECT_STREQ("", str);

    // None of these reads made a key.
    EXPECT_FALSE(KeyExists("missing"));

    // Null outputs are refused, not written through.
    EXPECT_EQ(FALSE, reg.GetInt("", "eight", nullptr));
    EXPECT_EQ(FALSE, reg.GetString("", "eight", nullptr));
    EXPECT_EQ(FALSE, reg.GetValueType("", "eight", nullptr));
}

TEST_F(RegistryTest, DeletesCreateKeysOnlyThroughThePathOverload)
{
    CRegistry reg(m_strPath);
    EXPECT_EQ(FALSE, reg.DeleteValue(HKEY_CURRENT_USER, Sub("a"), "v"));
    EXPECT_EQ(FALSE, reg.DeleteString(HKEY_CURRENT_USER, Sub("a"), "v"));
    EXPECT_EQ(FALSE, reg.DeleteInt(HKEY_CURRENT_USER, Sub("a"), "v"));
    EXPECT_EQ(FALSE, reg.DeleteDword(HKEY_CURRENT_USER, Sub("a"), "v"));
    EXPECT_EQ(FALSE, reg.DeleteWord(HKEY_CURRENT_USER, Sub("a"), "v"));
    EXPECT_EQ(FALSE, reg.DeleteLong(HKEY_CURRENT_USER, Sub("a"), "v"));
    EXPECT_EQ(FALSE, reg.DeleteBinary(HKEY_CURRENT_USER, Sub("a"), "v"));
    EXPECT_FALSE(KeyExists("a"));

    // The path form write-opens: the key appears although the value was absent.
    EXPECT_EQ(FALSE, reg.DeleteValue("a", "v"));
    EXPECT_TRUE(KeyExists("a"));
    EXPECT_EQ(FALSE, reg.DeleteWord("b\\c", "v"));
    EXPECT_TRUE(KeyExists("b\\c"));

    // Every delete removes any value type, in each overload.
    RawSet("a", "s", REG_SZ, "x", 2);
    RawSetDword("a", "d", 1);
    RawSet("a", "b", REG_BINARY, "x", 1);
    EXPECT_EQ(TRUE, reg.DeleteInt("a", "s"));
    EXPECT_EQ(TRUE, reg.DeleteString(HKEY_CURRENT_USER, Sub("a"), "d"));
    const CTestKey key(HKEY_CURRENT_USER, Sub("a"), KEY_READ | KEY_WRITE);
    ASSERT_TRUE(key.IsOpen());
    EXPECT_EQ(TRUE, reg.DeleteLong(key.Get(), "b"));
    EXPECT_EQ(FALSE, reg.DeleteLong(key.Get(), "b"));
    EXPECT_FALSE(ValuePresent("a", "s") || ValuePresent("a", "d") || ValuePresent("a", "b"));
}

TEST_F(RegistryTest, NullBytesCreateTheKeyOnlyInTheRootAndSubKeyOverload)
{
    CRegistry reg(m_strPath);
    EXPECT_EQ(FALSE, reg.SetBinary(HKEY_CURRENT_USER, Sub("viaRoot"), "b", nullptr, 4));
    EXPECT_TRUE(KeyExists("viaRoot"));
    EXPECT_FALSE(ValuePresent("viaRoot", "b"));
    EXPECT_EQ(FALSE, reg.SetBinary("viaPath", "b", nullptr, 4));
    EXPECT_FALSE(KeyExists("viaPath"));
    EXPECT_EQ(FALSE, reg.SetBinary(m_hTest, "b", nullptr, 0));
    EXPECT_FALSE(ValuePresent("", "b"));

    RawSet("", "b", REG_BINARY, "abcd", 4);
    DWORD cb = 4;
    EXPECT_EQ(FALSE, reg.GetBinary("", "b", nullptr, &cb));
    BYTE buffer[4];
    EXPECT_EQ(FALSE, reg.GetBinary(m_hTest, "b", buffer, nullptr));
    EXPECT_EQ(FALSE, reg.GetBinary("missing", "b", nullptr, &cb));
    EXPECT_FALSE(KeyExists("missing"));
}

TEST_F(RegistryTest, ValueExistsWithAnEmptyNameAsksForTheKeyOrItsDefaultValue)
{
    CRegistry reg(m_strPath);
    MakeKey("empty");
    EXPECT_EQ(TRUE, reg.ValueExists(HKEY_CURRENT_USER, Sub("empty"), ""));
    EXPECT_EQ(TRUE, reg.ValueExists("empty", ""));
    EXPECT_EQ(FALSE, reg.ValueExists(HKEY_CURRENT_USER, Sub("missing"), ""));
    EXPECT_EQ(FALSE, reg.ValueExists("missing", ""));
    EXPECT_FALSE(KeyExists("missing"));

    // Open key: the empty name is the default value.
    EXPECT_EQ(FALSE, reg.ValueExists(m_hTest, ""));
    RawSet("", "", REG_SZ, "dflt", 5);
    EXPECT_EQ(TRUE, reg.ValueExists(m_hTest, ""));

    RawSetDword("empty", "v", 0);
    EXPECT_EQ(TRUE, reg.ValueExists("empty", "v"));
    EXPECT_EQ(TRUE, reg.ValueExists(HKEY_CURRENT_USER, Sub("empty"), "v"));
    EXPECT_EQ(FALSE, reg.ValueExists("empty", "w"));
}

TEST_F(RegistryTest, CreateKeyAcceptsAnExistingKeyAndKeepsItsValues)
{
    CRegistry reg(m_strPath);
    EXPECT_EQ(TRUE, reg.CreateKey("x\\y\\z"));
    EXPECT_TRUE(KeyExists("x\\y\\z"));
    RawSetDword("x", "keep", 3);
    EXPECT_EQ(TRUE, reg.CreateKey(HKEY_CURRENT_USER, Sub("x")));
    EXPECT_EQ(TRUE, reg.CreateKey("x"));
    EXPECT_TRUE(ValuePresent("x", "keep"));
}

// The long group is the int group under another type: run both
// through the same situations and compare everything they leave behind.
TEST_F(RegistryTest, LongGroupBehavesExactlyAsTheIntGroup)
{
    RawSet("", "sz7", REG_SZ, "7", 2);
    RawSet("", "long8", REG_BINARY, "12345678", 8);
    CRegistry reg(m_strPath);
    const char* names[] = {"sz7", "long8", "absent"};
    for (const char* pszName : names) {
        SCOPED_TRACE(pszName);
        int n = 0x55667788;
        long l = 0x55667788;
        EXPECT_EQ(reg.GetInt("", pszName, &n), reg.GetLong("", pszName, &l));
        EXPECT_EQ(n, l);
        EXPECT_EQ(reg.GetInt(m_hTest, pszName, &n), reg.GetLong(m_hTest, pszName, &l));
        EXPECT_EQ(n, l);
        EXPECT_EQ(reg.GetInt(HKEY_CURRENT_USER, m_strSubKey, pszName, &n),
                  reg.GetLong(HKEY_CURRENT_USER, m_strSubKey, pszName, &l));
        EXPECT_EQ(n, l);
    }
    std::string strInt, strLong;
    EXPECT_EQ(TRUE, reg.SetInt("i", "v", -123456));
    EXPECT_EQ(TRUE, reg.SetLong("l", "v", -123456L));
    EXPECT_TRUE(RawGet("i", "v", &strInt));
    EXPECT_TRUE(RawGet("l", "v", &strLong));
    EXPECT_EQ(strInt, strLong);
    EXPECT_EQ(reg.DeleteInt("i", "v"), reg.DeleteLong("l", "v"));
    EXPECT_EQ(reg.DeleteInt("i", "v"), reg.DeleteLong("l", "v"));
    EXPECT_EQ(reg.DeleteInt(HKEY_CURRENT_USER, Sub("none"), "v"),
              reg.DeleteLong(HKEY_CURRENT_USER, Sub("none"), "v"));
    EXPECT_FALSE(KeyExists("none"));
}

// Root-plus-sub-key and path overloads do their value work through the
// open-key overload, so overriding that one changes all three: writes on a
// created key, reads and deletes on an opened one.
TEST_F(RegistryTest, OverloadsCallTheOpenKeyFormVirtually)
{
    class CObserved : public CRegistry {
    public:
        using CRegistry::CRegistry;
        using CRegistry::DeleteDword;
        using CRegistry::GetString;
        using CRegistry::GetWord;
        using CRegistry::SetInt;
        BOOL SetInt(HKEY hKey, CString strName, int nValue) override
        {
            return CRegistry::SetInt(hKey, strName, nValue * 2);
        }
        BOOL GetWord(HKEY hKey, CString strName, WORD* pwValue) override
        {
            const BOOL bResult = CRegistry::GetWord(hKey, strName, pwValue);
            *pwValue += 100;
            return bResult;
        }
        BOOL GetString(HKEY hKey, CString strName, CString* pstrValue) override
        {
            const BOOL bResult = CRegistry::GetString(hKey, strName, pstrValue);
            *pstrValue += "!";
            return bResult;
        }
        BOOL DeleteDword(HKEY, CString) override
        {
            ++m_nDeletes;
            return FALSE;
        }
        int m_nDeletes = 0;
    };
    CObserved reg(m_strPath);
    EXPECT_EQ(TRUE, reg.SetInt("", "a", 5));
    EXPECT_EQ(TRUE, reg.SetInt(HKEY_CURRENT_USER, m_strSubKey, "b", 6));
    EXPECT_EQ(TRUE, reg.SetLong("", "c", 7L));
    int a = 0, b = 0, c = 0;
    reg.GetInt("", "a", &a);
    reg.GetInt("", "b", &b);
    reg.GetInt("", "c", &c);
    EXPECT_EQ(10, a);
    EXPECT_EQ(12, b);
    EXPECT_EQ(14, c);

    RawSetDword("", "w", 1);
    RawSet("", "s", REG_SZ, "x", 2);
    WORD w1 = 0, w2 = 0;
    EXPECT_EQ(TRUE, reg.GetWord("", "w", &w1));
    EXPECT_EQ(TRUE, reg.GetWord(HKEY_CURRENT_USER, m_strSubKey, "w", &w2));
    EXPECT_EQ(101, w1);
    EXPECT_EQ(101, w2);
    CString s1, s2;
    EXPECT_EQ(TRUE, reg.GetString("", "s", &s1));
    EXPECT_EQ(TRUE, reg.GetString(HKEY_CURRENT_USER, m_strSubKey, "s", &s2));
    EXPECT_STREQ("x!", s1);
    EXPECT_STREQ("x!", s2);
    EXPECT_EQ(FALSE, reg.DeleteDword(HKEY_CURRENT_USER, m_strSubKey, "w"));
    EXPECT_EQ(1, reg.m_nDeletes);
    EXPECT_TRUE(ValuePresent("", "w"));
}
