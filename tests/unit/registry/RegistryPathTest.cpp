// Path syntax: cleaning, root names, resolution against the object's own key.
#include "RegistryTestKey.h"

namespace {

struct Resolved {
    BOOL bResult;
    HKEY hRoot;
    CString strSubKey;
};

Resolved Resolve(CRegistry& reg, const char* pszPath)
{
    Resolved r{FALSE, reinterpret_cast<HKEY>(static_cast<LONG_PTR>(0x1234)), "untouched"};
    r.bResult = reg.ResolvePath(pszPath, &r.hRoot, &r.strSubKey);
    return r;
}

// The object's own root and sub-key, as the empty path resolves them.
Resolved Own(CRegistry& reg)
{
    return Resolve(reg, "");
}

} // namespace

TEST(RegistryPath, ObjectPathsAreCleanedAndSplitAtTheRootName)
{
    struct Case {
        const char* pszPath;
        const char* pszExpectedPath;
        HKEY hRoot;
        const char* pszSubKey;
    } cases[] = {
        {"  HKEY_CURRENT_USER\\Software\\VORNELIX\\Quillfind\\\\ ",
         "HKEY_CURRENT_USER\\Software\\VORNELIX\\Quillfind", HKEY_CURRENT_USER,
         "Software\\VORNELIX\\Quillfind"},
        {"\t\\\\HKEY_CURRENT_USER\\A\r\n", "HKEY_CURRENT_USER\\A", HKEY_CURRENT_USER, "A"},
        {"hkey_local_machine\\Software", "hkey_local_machine\\Software", HKEY_LOCAL_MACHINE,
         "Software"},
        {"Hkey_Classes_Root\\.txt", "Hkey_Classes_Root\\.txt", HKEY_CLASSES_ROOT, ".txt"},
        {"HKEY_CURRENT_USER", "HKEY_CURRENT_USER", HKEY_CURRENT_USER, ""},
        {"HKEY_CURRENT_USER\\", "HKEY_CURRENT_USER", HKEY_CURRENT_USER, ""},
        {"HKEY_USERS\\.DEFAULT", "HKEY_USERS\\.DEFAULT", HKEY_USERS, ".DEFAULT"},
        // Only the name's own length is compared and the next byte is skipped unread.
        {"HKEY_USERSX", "HKEY_USERSX", HKEY_USERS, ""},
        {"HKEY_USERSX\\Y", "HKEY_USERSX\\Y", HKEY_USERS, "\\Y"},
        {"HKEY_CURRENT_USER\\A\\\\B", "HKEY_CURRENT_USER\\A\\\\B", HKEY_CURRENT_USER, "A\\\\B"},
        // Cleaned once: blanks inside the separators stay in the object's path;
        // parsing cleans its own copy again.
        {" \\ HKEY_CURRENT_USER\\A\t\\ ", " HKEY_CURRENT_USER\\A\t", HKEY_CURRENT_USER, "A"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszPath);
        CRegistry reg(c.pszPath);
        EXPECT_STREQ(c.pszExpectedPath, reg.GetPath());
        Resolved own = Own(reg);
        EXPECT_EQ(TRUE, own.bResult);
        EXPECT_EQ(c.hRoot, own.hRoot);
        EXPECT_STREQ(c.pszSubKey, own.strSubKey);
    }
}

TEST(RegistryPath, PathsWithoutOneOfTheFourRootNamesLeaveAnInvalidObject)
{
    const char* paths[] = {"HKCU\\Software",
                           "HKEY_CURRENT_CONFIG\\Software",
                           "Software\\VORNELIX",
                           "HKEY_CURRENT",
                           "",
                           "  \t ",
                           "\\\\\\",
                           "HKEY_PERFORMANCE_DATA"};
    for (const char* pszPath : paths) {
        SCOPED_TRACE(pszPath);
        CRegistry reg(pszPath);
        EXPECT_STREQ("", reg.GetPath());
        Resolved own = Own(reg);
        EXPECT_EQ(FALSE, own.bResult);
        EXPECT_STREQ("untouched", own.strSubKey); // out-parameters left alone
        EXPECT_EQ(FALSE, Resolve(reg, "HKEY_CURRENT_USER\\Software").bResult);
    }
}

TEST(RegistryPath, OperationPathsAreJoinedBelowTheObjectsSubKey)
{
    CRegistry reg("HKEY_CURRENT_USER\\Software\\VORNELIX\\Quillfind");
    struct Case {
        const char* pszPath;
        HKEY hRoot;
        const char* pszSubKey;
    } cases[] = {
        {"\\WinPos\\Search\\", HKEY_CURRENT_USER, "Software\\VORNELIX\\Quillfind\\WinPos\\Search"},
        {"text", HKEY_CURRENT_USER, "Software\\VORNELIX\\Quillfind\\text"},
        {"", HKEY_CURRENT_USER, "Software\\VORNELIX\\Quillfind"},
        {"   ", HKEY_CURRENT_USER, "Software\\VORNELIX\\Quillfind"},
        {"\\\\", HKEY_CURRENT_USER, "Software\\VORNELIX\\Quillfind"},
        {"A\\\\B", HKEY_CURRENT_USER, "Software\\VORNELIX\\Quillfind\\A\\\\B"},
        // A full path keeps its root but still lands below the object's sub-key.
        {"HKEY_LOCAL_MACHINE\\Software\\Other", HKEY_LOCAL_MACHINE,
         "Software\\VORNELIX\\Quillfind\\Software\\Other"},
        {"hkey_current_user\\X", HKEY_CURRENT_USER, "Software\\VORNELIX\\Quillfind\\X"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszPath);
        Resolved r = Resolve(reg, c.pszPath);
        EXPECT_EQ(TRUE, r.bResult);
        EXPECT_EQ(c.hRoot, r.hRoot);
        EXPECT_STREQ(c.pszSubKey, r.strSubKey);
    }

    // Cleaned once, blanks between separators stay (" "); parsing cleans that
    // to nothing and fails, so such a path never stands for the object's key.
    EXPECT_EQ(FALSE, Resolve(reg, " \\ \\ ").bResult);

    CRegistry bare("HKEY_CURRENT_USER");
    Resolved r = Resolve(bare, "\\Software\\X\\");
    EXPECT_EQ(TRUE, r.bResult);
    EXPECT_EQ(HKEY_CURRENT_USER, r.hRoot);
    EXPECT_STREQ("Software\\X", r.strSubKey); // no leading separator
}

TEST(RegistryPath, DoubleByteCharactersAreKeptWholeWhenCleaning)
{
    if (!IsCodePage932())
        GTEST_SKIP() << "needs the Shift-JIS code page";
    CRegistry reg("HKEY_CURRENT_USER");
    // "表" ends in the byte 0x5C and the ideographic space is no white space.
    CString strPath = "　\\Software\\表\\\\　";
    EXPECT_STREQ("　\\Software\\表\\\\　", reg.NormalizePath(strPath));
    strPath = " \\Software\\表\\ ";
    EXPECT_STREQ("Software\\表", reg.NormalizePath(strPath));
    strPath = "ソ";
    EXPECT_STREQ("ソ", reg.NormalizePath(strPath));

    CRegistry sjis("HKEY_CURRENT_USER\\Software\\表\\");
    EXPECT_STREQ("Software\\表", Own(sjis).strSubKey);
    // The character after a root name is skipped whole, never half of it.
    CRegistry users("HKEY_USERS表x");
    EXPECT_STREQ("x", Own(users).strSubKey);
}

TEST(RegistryPath, UnderASingleByteCodePageA5CByteIsAlwaysASeparator)
{
    if (IsCodePage932())
        GTEST_SKIP() << "needs a single-byte code page";
    CRegistry reg("HKEY_CURRENT_USER");
    CString strPath = "Software\\\x95\\";
    EXPECT_STREQ("Software\\\x95", reg.NormalizePath(strPath));
    CRegistry users("HKEY_USERS表x");
    EXPECT_STREQ("\\x", Own(users).strSubKey);
}

TEST_F(RegistryTest, FullPathGivenToAnOperationIsWrittenBelowTheObjectsKey)
{
    CRegistry reg(m_strPath);
    EXPECT_EQ(TRUE, reg.SetInt("HKEY_CURRENT_USER\\Inner", "n", 5));
    std::string strData;
    EXPECT_TRUE(RawGet("Inner", "n", &strData));
    EXPECT_EQ(std::string("\x05\0\0\0", 4), strData);
}

TEST_F(RegistryTest, InvalidObjectFailsEveryPathOverloadWhileTheOthersWork)
{
    CRegistry reg(m_strSubKey); // no root name: invalid
    const BYTE bytes[2] = {1, 2};
    BYTE buffer[2] = {};
    DWORD cb = sizeof(buffer), dwType = 77, dw = 7;
    int n = 7;
    long l = 7;
    WORD w = 7;
    CString str = "keep";
    EXPECT_EQ(FALSE, reg.CreateKey("k"));
    EXPECT_EQ(FALSE, reg.DeleteKey("k"));
    EXPECT_EQ(FALSE, reg.DeleteValue("k", "v"));
    EXPECT_EQ(FALSE, reg.SetString("k", "v", "x"));
    EXPECT_EQ(FALSE, reg.GetString("k", "v", &str));
    EXPECT_EQ(FALSE, reg.DeleteString("k", "v"));
    EXPECT_EQ(FALSE, reg.SetInt("k", "v", 1));
    EXPECT_EQ(FALSE, reg.GetInt("k", "v", &n));
    EXPECT_EQ(FALSE, reg.DeleteInt("k", "v"));
    EXPECT_EQ(FALSE, reg.SetDword("k", "v", 1));
    EXPECT_EQ(FALSE, reg.GetDword("k", "v", &dw));
    EXPECT_EQ(FALSE, reg.DeleteDword("k", "v"));
    EXPECT_EQ(FALSE, reg.SetWord("k", "v", 1));
    EXPECT_EQ(FALSE, reg.GetWord("k", "v", &w));
    EXPECT_EQ(FALSE, reg.DeleteWord("k", "v"));
    EXPECT_EQ(FALSE, reg.SetLong("k", "v", 1));
    EXPECT_EQ(FALSE, reg.GetLong("k", "v", &l));
    EXPECT_EQ(FALSE, reg.DeleteLong("k", "v"));
    EXPECT_EQ(FALSE, reg.SetBinary("k", "v", bytes, sizeof(bytes)));
    EXPECT_EQ(FALSE, reg.GetBinary("k", "v", buffer, &cb));
    EXPECT_EQ(FALSE, reg.DeleteBinary("k", "v"));
    EXPECT_EQ(FALSE, reg.GetValueType("k", "v", &dwType));
    EXPECT_EQ(FALSE, reg.ValueExists("k", "v"));
    EXPECT_EQ(FALSE, reg.ValueExists("", ""));
    EXPECT_STREQ("keep", str); // an unresolved path leaves the string alone
    EXPECT_EQ(7, n);
    EXPECT_EQ(7u, dw);
    EXPECT_EQ(7, l);
    EXPECT_EQ(7, w);
    EXPECT_EQ(77u, dwType);

    // The same object still works on a root and sub-key or an open key.
    EXPECT_EQ(TRUE, reg.SetInt(HKEY_CURRENT_USER, Sub("k"), "v", 9));
    EXPECT_EQ(TRUE, reg.GetInt(HKEY_CURRENT_USER, Sub("k"), "v", &n));
    EXPECT_EQ(9, n);
    EXPECT_EQ(TRUE, reg.SetString(m_hTest, "s", "text"));
    EXPECT_EQ(TRUE, reg.GetString(m_hTest, "s", &str));
    EXPECT_STREQ("text", str);
    EXPECT_EQ(TRUE, reg.CreateKey(HKEY_CURRENT_USER, Sub("made")));
    EXPECT_TRUE(KeyExists("made"));
}

// Overrides of path handling reach every path overload.
TEST_F(RegistryTest, PathOverloadsResolveThroughTheVirtualResolvePath)
{
    class CRedirected : public CRegistry {
    public:
        CRedirected(CString strPath, CString strTarget) : CRegistry(strPath), m_strTarget(strTarget)
        {
        }
        BOOL ResolvePath(CString strPath, HKEY* phRoot, CString* pstrSubKey) override
        {
            ++m_nCalls;
            *phRoot = HKEY_CURRENT_USER;
            *pstrSubKey = m_strTarget;
            return TRUE;
        }
        CString m_strTarget;
        int m_nCalls = 0;
    };
    CRedirected reg("HKEY_CURRENT_USER\\Software\\Elsewhere", Sub("target"));
    EXPECT_EQ(TRUE, reg.SetDword("ignored", "mode", 2));
    DWORD dwMode = 0;
    EXPECT_EQ(TRUE, reg.GetDword("", "mode", &dwMode));
    EXPECT_EQ(2u, dwMode);
    EXPECT_EQ(TRUE, reg.ValueExists("x", "mode"));
    EXPECT_EQ(TRUE, reg.DeleteDword("x", "mode"));
    EXPECT_EQ(4, reg.m_nCalls);
    EXPECT_TRUE(KeyExists("target"));
}
