// Binary values written from and read into a CBinary, in the three overloads.
#include "RegistryTestKey.h"

#include "CountedHeap.h"
#include "binary/BinaryTestBytes.h"

namespace {

// Each overload kind writes and reads through its own key form.
enum Form { kRootSubKey, kOpenKey, kPath };

struct CBufferCalls {
    CRegistry& reg;
    HKEY hTest;
    CString strSubKey; // of "k" below the test key

    BOOL Set(Form form, const char* pszName, const CBinary& bin) const
    {
        return form == kRootSubKey ? reg.SetBinary(HKEY_CURRENT_USER, strSubKey, pszName, bin)
               : form == kOpenKey  ? reg.SetBinary(hTest, pszName, bin)
                                   : reg.SetBinary("k", pszName, bin);
    }

    BOOL Get(Form form, const char* pszName, CBinary* pbin) const
    {
        return form == kRootSubKey ? reg.GetBinary(HKEY_CURRENT_USER, strSubKey, pszName, pbin)
               : form == kOpenKey  ? reg.GetBinary(hTest, pszName, pbin)
                                   : reg.GetBinary("k", pszName, pbin);
    }

    // Where the form's values live, relative to the test key.
    static const char* Key(Form form) { return form == kOpenKey ? "" : "k"; }
};

} // namespace

TEST_F(RegistryTest, BuffersRoundTripInEveryFormAsTheBytesTheyShow)
{
    CRegistry reg(m_strPath);
    const CBufferCalls calls{reg, m_hTest, Sub("k")};
    CBinary sub = Unlocked(std::string("\0\x01\xFFview\x5C", 8));
    CBinary open = sub.Focus(3);
    const CBinary view = open.Focus(4);
    const CBinary empty;
    struct Case {
        const char* pszName;
        const CBinary& bin;
        std::string strStored;
    } cases[] = {
        {"whole", sub, Bytes(sub)},
        {"view", view, "view"},
        {"empty", empty, ""},
    };
    for (Form form : {kRootSubKey, kOpenKey, kPath}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << form << " " << c.pszName);
            ASSERT_EQ(TRUE, calls.Set(form, c.pszName, c.bin));
            std::string strData;
            DWORD dwType = 0;
            ASSERT_TRUE(RawGet(CBufferCalls::Key(form), c.pszName, &strData, &dwType));
            EXPECT_EQ(static_cast<DWORD>(REG_BINARY), dwType);
            EXPECT_EQ(c.strStored, strData);
            CBinary read = Unlocked("old");
            EXPECT_EQ(TRUE, calls.Get(form, c.pszName, &read));
            EXPECT_EQ(c.strStored, Bytes(read));
            EXPECT_FALSE(read.IsLocked());
        }
    }
    EXPECT_EQ(8, sub.GetLength());
}

TEST_F(RegistryTest, ReadsTakeAnyTypeAndFailuresEmptyTheBuffer)
{
    RawSet("k", "sz", REG_SZ, "ab", 3);
    CRegistry reg(m_strPath);
    const CBufferCalls calls{reg, m_hTest, Sub("k")};
    for (Form form : {kRootSubKey, kPath}) {
        SCOPED_TRACE(form);
        CBinary read;
        EXPECT_EQ(TRUE, calls.Get(form, "sz", &read));
        EXPECT_EQ(std::string("ab\0", 3), Bytes(read));
        EXPECT_EQ(FALSE, calls.Get(form, "absent", &read));
        EXPECT_TRUE(read.IsEmpty());

        // A missing key: nothing is created, the buffer is empty.
        read = Unlocked("old");
        EXPECT_EQ(FALSE, form == kPath
                             ? reg.GetBinary("missing", "v", &read)
                             : reg.GetBinary(HKEY_CURRENT_USER, Sub("missing"), "v", &read));
        EXPECT_TRUE(read.IsEmpty());
        EXPECT_FALSE(KeyExists("missing"));
        EXPECT_EQ(FALSE, calls.Get(form, "sz", nullptr));
    }

    // A path that does not resolve leaves the buffer as it was.
    CRegistry invalid("Software\\NoRoot");
    CBinary kept = Unlocked("kept");
    EXPECT_EQ(FALSE, invalid.GetBinary("", "v", &kept));
    EXPECT_EQ(FALSE, invalid.SetBinary("", "v", kept));
    EXPECT_EQ("kept", Bytes(kept));
}

// A locked buffer keeps its length: the stored value is copied in as far as
// it fits, and the bytes around a window are never written. An open view
// takes the value from its start on, the bytes before it kept.
TEST_F(RegistryTest, ALockedBufferTakesWhatFitsAndNothingMore)
{
    RawSet("", "eight", REG_BINARY, "12345678", 8);
    RawSet("", "two", REG_BINARY, "AB", 2);
    CRegistry reg(m_strPath);
    struct Case {
        const char* pszName;
        std::string strWindow, strLocked, strOpen;
    } cases[] = {
        {"eight", "..123.....", "1234", "..12345678"},
        {"two", "..AB......", "AB..", "..AB"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszName);
        CBinary sub = Unlocked("..........");
        CBinary open = sub.Focus(2);
        CBinary window = open.Focus(3);
        EXPECT_EQ(TRUE, reg.GetBinary("", c.pszName, &window));
        EXPECT_EQ(c.strWindow, Bytes(sub));
        EXPECT_EQ(3, window.GetLength());
        EXPECT_EQ(TRUE, reg.GetBinary("", c.pszName, &open));
        EXPECT_EQ(c.strOpen, Bytes(sub));

        CBinary locked('.', 4);
        EXPECT_EQ(TRUE, reg.GetBinary(m_hTest, c.pszName, &locked));
        EXPECT_EQ(c.strLocked, Bytes(locked));
    }
    CBinary locked('.', 4);
    EXPECT_EQ(FALSE, reg.GetBinary("", "absent", &locked));
    EXPECT_EQ("....", Bytes(locked));
}

// The other overloads reach the open-key ones through the table of virtual
// functions; no block is left behind by any of them.
TEST_F(RegistryTest, OverloadsCallTheOpenKeyFormVirtuallyAndFreeTheirCopies)
{
    class CObserved : public CRegistry {
    public:
        using CRegistry::CRegistry;
        using CRegistry::GetBinary;
        using CRegistry::SetBinary;
        BOOL SetBinary(HKEY hKey, CString strName, CBinary binValue) override
        {
            binValue += '!';
            return CRegistry::SetBinary(hKey, strName, binValue);
        }
        BOOL GetBinary(HKEY hKey, CString strName, CBinary* pbinValue) override
        {
            const BOOL bResult = CRegistry::GetBinary(hKey, strName, pbinValue);
            *pbinValue += '?';
            return bResult;
        }
    };
    const long nBefore = LiveBlocks();
    {
        CObserved reg(m_strPath);
        const CBinary bin = Unlocked("x");
        EXPECT_EQ(TRUE, reg.SetBinary("", "a", bin));
        EXPECT_EQ(TRUE, reg.SetBinary(HKEY_CURRENT_USER, m_strSubKey, "b", bin));
        CBinary a, b;
        EXPECT_EQ(TRUE, reg.GetBinary("", "a", &a));
        EXPECT_EQ(TRUE, reg.GetBinary(HKEY_CURRENT_USER, m_strSubKey, "b", &b));
        EXPECT_EQ("x!?", Bytes(a));
        EXPECT_EQ("x!?", Bytes(b));
        EXPECT_EQ("x", Bytes(bin));
    }
    EXPECT_EQ(nBefore, LiveBlocks());
    EXPECT_EQ(0, DamagedBlocks());
}
