// Removal of whole keys and the guard against removing well-known keys.
#include "RegistryTestKey.h"

#include <string>
#include <vector>

namespace {

// Records what reaches DeleteTree and removes nothing, so the guard can be
// tried on the real HKEY_CURRENT_USER without harm.
class CDeleteObserver : public CRegistry {
public:
    using CRegistry::CRegistry;
    BOOL DeleteTree(HKEY hParent, const char* pszSubKey) override
    {
        m_calls.push_back(pszSubKey);
        m_bParentOpen = m_bParentOpen && hParent != nullptr;
        return FALSE;
    }
    std::vector<std::string> m_calls;
    bool m_bParentOpen = true;
};

} // namespace

TEST(RegistryDeleteKey, RefusesRootsAndProtectedNamesInAnyLetterCase)
{
    const char* names[] = {"AppEvent", "Control Panel", "EUDC",   "Software", "Hardware",
                           "CLSID",    "Network",       "System", "Security", ".Default"};
    CDeleteObserver bare("HKEY_CURRENT_USER");
    for (const char* pszName : names) {
        std::string strLower = pszName, strUpper = pszName, strMixed = pszName;
        for (size_t i = 0; i < strLower.size(); ++i) {
            strLower[i] = static_cast<char>(tolower(static_cast<unsigned char>(strLower[i])));
            strUpper[i] = static_cast<char>(toupper(static_cast<unsigned char>(strUpper[i])));
            if (i % 2)
                strMixed[i] = strUpper[i];
            else
                strMixed[i] = strLower[i];
        }
        for (const std::string& strPath :
             {std::string(pszName), strLower, strUpper, strMixed, "\\" + strMixed + "\\ "}) {
            SCOPED_TRACE(strPath);
            EXPECT_EQ(FALSE, bare.DeleteKey(strPath.c_str()));
        }
    }
    for (const char* pszPath : {"", "   ", "\\", "\\\\\\", " \\\\ "})
        EXPECT_EQ(FALSE, bare.DeleteKey(pszPath)) << "'" << pszPath << "'";
    EXPECT_TRUE(bare.m_calls.empty());

    // An object that itself stands on a protected key refuses its own key.
    for (const char* pszObject :
         {"HKEY_CURRENT_USER\\Software", "HKEY_CURRENT_USER\\control panel\\",
          "HKEY_LOCAL_MACHINE\\SYSTEM", "HKEY_USERS\\.DEFAULT", "HKEY_CLASSES_ROOT\\clsid"}) {
        CDeleteObserver onProtected(pszObject);
        EXPECT_EQ(FALSE, onProtected.DeleteKey("")) << pszObject;
        EXPECT_TRUE(onProtected.m_calls.empty()) << pszObject;
    }
    CDeleteObserver invalid("Software\\VORNELIX");
    EXPECT_EQ(FALSE, invalid.DeleteKey("Quillfind"));
    EXPECT_TRUE(invalid.m_calls.empty());
}

TEST(RegistryDeleteKey, TheGuardComparesTheWholeResolvedSubKeyOnly)
{
    CDeleteObserver bare("HKEY_CURRENT_USER");
    for (const char* pszPath :
         {"AppEvents", "Software\\VORNELIX", "Softwares", "System32", "AppEvent\\x"})
        bare.DeleteKey(pszPath);
    const std::vector<std::string> expected = {"AppEvents", "Software\\VORNELIX", "Softwares",
                                               "System32", "AppEvent\\x"};
    EXPECT_EQ(expected, bare.m_calls);
    EXPECT_TRUE(bare.m_bParentOpen);

    CDeleteObserver vendor("HKEY_CURRENT_USER\\Software");
    vendor.DeleteKey("Software"); // resolves to "Software\Software"
    // Blanks between separators are no empty path: refused, never the object's own key.
    EXPECT_EQ(FALSE, vendor.DeleteKey("\\ \\"));
    ASSERT_EQ(1u, vendor.m_calls.size());
    EXPECT_EQ("Software\\Software", vendor.m_calls[0]);

    // The root-plus-sub-key overload is not guarded at all.
    CDeleteObserver unguarded("HKEY_CURRENT_USER");
    EXPECT_EQ(FALSE, unguarded.DeleteKey(HKEY_CURRENT_USER, "Software"));
    ASSERT_EQ(1u, unguarded.m_calls.size());
    EXPECT_EQ("Software", unguarded.m_calls[0]);
}

TEST_F(RegistryTest, DeleteKeyRemovesTheProgramsWholeKeyAndKeepsItsParent)
{
    CRegistry settings(m_strPath + "\\VORNELIX\\Quillfind");
    ASSERT_EQ(TRUE, settings.SetDword("", "mode", 1));
    ASSERT_EQ(TRUE, settings.SetString("text", "text00", "a"));
    ASSERT_EQ(TRUE, settings.SetString("text", "text01", "b"));
    ASSERT_EQ(TRUE, settings.SetInt("WinPos\\Search", "posX", 40));
    ASSERT_EQ(TRUE, settings.SetInt("WinPos\\Search", "posY", 40));
    MakeKey("VORNELIX\\Other");
    MakeKey("VORNELIX\\QuillfindX");

    CRegistry vendor(m_strPath + "\\VORNELIX");
    EXPECT_EQ(TRUE, vendor.DeleteKey("Quillfind"));
    EXPECT_FALSE(KeyExists("VORNELIX\\Quillfind"));
    EXPECT_TRUE(KeyExists("VORNELIX"));
    EXPECT_TRUE(KeyExists("VORNELIX\\Other"));
    EXPECT_TRUE(KeyExists("VORNELIX\\QuillfindX"));
    EXPECT_EQ(FALSE, vendor.DeleteKey("Quillfind")); // nothing left to remove
}

TEST_F(RegistryTest, DeleteTreeFallsBackToAValueWhenThePathNamesNoKey)
{
    RawSetDword("", "top", 1);
    RawSetDword("k1", "v", 2);
    RawSetDword("k1\\k2", "v", 3);
    CRegistry reg(m_strPath);
    // One component: a value of the parent itself.
    EXPECT_EQ(TRUE, reg.DeleteTree(m_hTest, "top"));
    EXPECT_FALSE(ValuePresent("", "top"));
    EXPECT_EQ(FALSE, reg.DeleteTree(m_hTest, "neither"));
    // Two and three components: key part and value name.
    EXPECT_EQ(TRUE, reg.DeleteTree(m_hTest, "k1\\v"));
    EXPECT_FALSE(ValuePresent("k1", "v"));
    EXPECT_EQ(TRUE, reg.DeleteTree(m_hTest, "k1\\k2\\v"));
    EXPECT_FALSE(ValuePresent("k1\\k2", "v"));
    EXPECT_TRUE(KeyExists("k1\\k2"));
    EXPECT_EQ(FALSE, reg.DeleteTree(m_hTest, "k1\\k2\\v"));
    EXPECT_EQ(FALSE, reg.DeleteTree(m_hTest, "k1\\missing\\v"));
    // A leading separator leaves an empty key part: the parent itself.
    RawSetDword("", "lead", 4);
    EXPECT_EQ(TRUE, reg.DeleteTree(m_hTest, "\\lead"));
    EXPECT_FALSE(ValuePresent("", "lead"));
}

TEST_F(RegistryTest, DeleteTreeRemovesThreeLevelsWithTheirValues)
{
    RawSetDword("tree", "v0", 0);
    RawSetDword("tree\\a", "v1", 1);
    RawSetDword("tree\\a\\x", "v2", 2);
    RawSet("tree\\a\\x\\deep", "s", REG_SZ, "s", 2);
    MakeKey("tree\\b\\y");
    MakeKey("tree\\c");
    MakeKey("sibling");
    CRegistry reg(m_strPath);
    EXPECT_EQ(TRUE, reg.DeleteTree(m_hTest, "tree"));
    EXPECT_FALSE(KeyExists("tree"));
    EXPECT_TRUE(KeyExists("sibling"));
    EXPECT_TRUE(KeyExists(""));
}

// "表" is the bytes 0x95 0x5C: its second byte is no separator. The lead-byte
// ranges are fixed, so "A\表" splits the same under every code page.
TEST_F(RegistryTest, ValueFallbackSplitsAtTheRealSeparatorNotInsideACharacter)
{
    RawSetDword("A", "表", 1);
    RawSetDword("A", "keep", 1);
    CRegistry reg(m_strPath);
    EXPECT_EQ(TRUE, reg.DeleteTree(m_hTest, "A\\表"));
    EXPECT_FALSE(ValuePresent("A", "表"));
    EXPECT_TRUE(ValuePresent("A", "keep"));

    // A path ending in a lead byte stops the scan there.
    RawSetDword("A", "x", 1);
    EXPECT_EQ(FALSE, reg.DeleteTree(m_hTest, "A\\x\\\x95"));
    EXPECT_TRUE(ValuePresent("A", "x"));
}

TEST_F(RegistryTest, DoubleByteKeyNamesWithA5CTrailByteAreRemoved)
{
    if (!IsCodePage932())
        GTEST_SKIP() << "needs the Shift-JIS code page";
    RawSetDword("表", "表", 1);
    RawSetDword("表", "ソ", 1);
    MakeKey("表\\能\\検索");
    CRegistry reg(m_strPath);
    EXPECT_EQ(TRUE, reg.DeleteTree(m_hTest, "表\\表"));
    EXPECT_FALSE(ValuePresent("表", "表"));
    EXPECT_TRUE(ValuePresent("表", "ソ"));
    EXPECT_EQ(TRUE, reg.DeleteKey("表"));
    EXPECT_FALSE(KeyExists("表"));
}

// Under a single-byte code page the fixed ranges still take 0xE0-0xFF as lead
// bytes: "é\" hides its separator and no value is found to delete.
TEST_F(RegistryTest, FixedLeadByteRangesApplyUnderASingleByteCodePageToo)
{
    if (IsCodePage932())
        GTEST_SKIP() << "needs a single-byte code page";
    RawSetDword("Caf\xE9", "v", 1);
    CRegistry reg(m_strPath);
    EXPECT_EQ(FALSE, reg.DeleteTree(m_hTest, "Caf\xE9\\v"));
    EXPECT_TRUE(ValuePresent("Caf\xE9", "v"));
    EXPECT_EQ(TRUE, reg.DeleteTree(m_hTest, "Caf\xE9"));
    EXPECT_FALSE(KeyExists("Caf\xE9"));
}

TEST_F(RegistryTest, KeyPartsLongerThan255BytesAreRefusedSafely)
{
    // Two real keys of 128 bytes each: a 257-byte key part.
    const std::string strPart(128, 'p');
    const std::string strKeys = strPart + "\\" + strPart;
    RawSetDword(strKeys.c_str(), "v", 1);
    ASSERT_TRUE(ValuePresent(strKeys.c_str(), "v"));
    CRegistry reg(m_strPath);
    EXPECT_EQ(FALSE, reg.DeleteTree(m_hTest, (strKeys + "\\v").c_str()));
    EXPECT_TRUE(ValuePresent(strKeys.c_str(), "v"));
    const std::string strHuge(5000, 'h');
    EXPECT_EQ(FALSE, reg.DeleteTree(m_hTest, (strHuge + "\\v").c_str()));
    EXPECT_EQ(FALSE, reg.DeleteTree(m_hTest, strHuge.c_str()));
    // The keys themselves still go as a tree.
    EXPECT_EQ(TRUE, reg.DeleteTree(m_hTest, strPart.c_str()));
    EXPECT_FALSE(KeyExists(strPart.c_str()));
}

// A sub-key name of 150 double-byte characters is a legal key name but 300
// bytes in the ANSI code page: it cannot be enumerated into 256 bytes. The
// removal stops there, keeps what is left and reports the failure upwards.
TEST_F(RegistryTest, SubKeyNameTooLongToEnumerateStopsTheRemovalSafely)
{
    if (!IsCodePage932())
        GTEST_SKIP() << "needs a double-byte code page";
    std::string strLongName;
    for (int i = 0; i < 150; ++i)
        strLongName += "漢";
    RawSetDword("t\\L1\\a\\deep", "v", 1);
    MakeKey(("t\\L1\\" + strLongName).c_str());
    MakeKey("t\\L2");
    CRegistry reg(m_strPath);
    EXPECT_EQ(FALSE, reg.DeleteTree(m_hTest, "t"));
    EXPECT_FALSE(KeyExists("t\\L1\\a")); // removed before the failure
    EXPECT_TRUE(KeyExists(("t\\L1\\" + strLongName).c_str()));
    EXPECT_TRUE(KeyExists("t\\L2")); // no sibling is tried after a failure
}

// DeleteTree recurses through virtual dispatch, so a derived class sees every
// level; a level that fails ends the whole removal at once.
TEST_F(RegistryTest, FailureAtOneLevelStopsTheRemovalAndKeepsTheRest)
{
    class CStopAt : public CRegistry {
    public:
        using CRegistry::CRegistry;
        BOOL DeleteTree(HKEY hParent, const char* pszSubKey) override
        {
            m_calls.push_back(pszSubKey);
            if (std::string(pszSubKey) == "b2")
                return FALSE;
            return CRegistry::DeleteTree(hParent, pszSubKey);
        }
        std::vector<std::string> m_calls;
    };
    MakeKey("t\\a\\a1");
    MakeKey("t\\b\\b1");
    RawSetDword("t\\b\\b2", "v", 1);
    MakeKey("t\\b\\b3");
    MakeKey("t\\c");
    CStopAt reg(m_strPath);
    EXPECT_EQ(FALSE, reg.DeleteKey("t"));
    const std::vector<std::string> expected = {
        m_strSubKey.str() + "\\t", "a", "a1", "b", "b1", "b2"};
    EXPECT_EQ(expected, reg.m_calls);
    EXPECT_FALSE(KeyExists("t\\a"));
    EXPECT_FALSE(KeyExists("t\\b\\b1"));
    EXPECT_TRUE(ValuePresent("t\\b\\b2", "v"));
    EXPECT_TRUE(KeyExists("t\\b\\b3"));
    EXPECT_TRUE(KeyExists("t\\c"));
}
