// Handles, hostile sizes and data written by other programs.
#include "RegistryTestKey.h"

#include <atomic>
#include <cstring>
#include <thread>

namespace {

// Handles are handed out lowest free slot first, and key handles share the
// table with other kernel objects: a handle left open during a run moves the
// slot a new event gets afterwards.
HANDLE NextHandleSlot()
{
    HANDLE h = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    CloseHandle(h);
    return h;
}

} // namespace

TEST_F(RegistryTest, NoKeyHandleOutlivesAnyCallFailuresIncluded)
{
    CRegistry reg(m_strPath);
    CRegistry invalid("Software\\NoRoot");
    CRegistry bare("HKEY_CURRENT_USER");
    // Warm up the predefined root handles the system caches for the process.
    reg.SetInt("", "warm", 1);
    reg.ValueExists(HKEY_CURRENT_USER, "Software", "");
    const HANDLE hBefore = NextHandleSlot();

    // The measurement sees a single leaked key.
    {
        const CTestKey leak(HKEY_CURRENT_USER, m_strSubKey, KEY_READ);
        ASSERT_TRUE(leak.IsOpen());
        EXPECT_NE(hBefore, NextHandleSlot());
    }
    ASSERT_EQ(hBefore, NextHandleSlot());

    const BYTE bytes[4] = {1, 2, 3, 4};
    int nOps = 0;
    for (int i = 0; i < 300; ++i) {
        int n = 0;
        DWORD dw = 0, cb = 0;
        WORD w = 0;
        long l = 0;
        BYTE small[2];
        CString str;
        const CString strKey = (i % 2) ? "a\\b" : "";
        nOps += reg.SetInt(strKey, "i", i) + reg.GetInt(strKey, "i", &n) +
                reg.SetDword(HKEY_CURRENT_USER, Sub("d"), "d", dw) +
                reg.GetDword(HKEY_CURRENT_USER, Sub("d"), "d", &dw) + reg.SetWord(strKey, "w", 1) +
                reg.GetWord("missing", "w", &w) + reg.SetLong(strKey, "l", 1) +
                reg.GetLong(HKEY_CURRENT_USER, Sub("none"), "l", &l) +
                reg.SetString(strKey, "s", "text") + reg.GetString(strKey, "s", &str) +
                reg.GetString("missing", "s", &str) +
                reg.GetString(HKEY_CURRENT_USER, Sub("none"), "s", &str) +
                reg.SetBinary(strKey, "b", bytes, sizeof(bytes));
        CBinary bin;
        nOps += reg.SetBinary(strKey, "bb", CBinary(bytes, 4)) + reg.GetBinary(strKey, "bb", &bin) +
                reg.GetBinary(HKEY_CURRENT_USER, Sub("none"), "bb", &bin) +
                reg.SetBinary(HKEY_CURRENT_USER, Sub("d"), "bb", bin);
        cb = sizeof(small); // too small: a failed read
        nOps += reg.GetBinary(strKey, "b", small, &cb) +
                reg.SetBinary(HKEY_CURRENT_USER, Sub("nb"), "b", nullptr, 0) +
                reg.GetValueType(strKey, "b", &dw) + reg.ValueExists(strKey, "") +
                reg.ValueExists("missing", "x") + reg.ValueExists(HKEY_CURRENT_USER, Sub("a"), "") +
                reg.ValueExists(HKEY_CURRENT_USER, Sub("a"), "nothing") +
                reg.DeleteValue(strKey, "nothing") +
                reg.DeleteValue(HKEY_CURRENT_USER, Sub("none"), "x") +
                reg.DeleteString(strKey, "s") + reg.DeleteInt(HKEY_CURRENT_USER, Sub("d"), "d") +
                reg.DeleteWord(strKey, "w") + reg.DeleteBinary(strKey, "b") +
                reg.DeleteLong(strKey, "l") + reg.ChangeScrambled(strKey, "z", "", "") +
                reg.ChangeScrambled(HKEY_CURRENT_USER, Sub("z"), "z", "x", "") +
                reg.VerifyScrambled(HKEY_CURRENT_USER, Sub("none"), "z", "") +
                reg.DeleteScrambledIfMatch(strKey, "z", "") + reg.CreateKey("c\\d") +
                reg.CreateKey(HKEY_CURRENT_USER, Sub("e")) + invalid.SetInt("", "x", 1) +
                invalid.GetString("", "x", &str) + invalid.DeleteKey("x") +
                bare.DeleteKey("software") + reg.DeleteKey(HKEY_CURRENT_USER, Sub("none\\v")) +
                reg.DeleteTree(HKEY_CURRENT_USER, Sub("a\\b\\i"));
        if (i % 30 == 0) // whole trees, at 10 ms a level
            nOps += reg.DeleteKey("c") + reg.DeleteKey(HKEY_CURRENT_USER, Sub("a"));
    }
    EXPECT_GT(nOps, 300 * 10); // most calls did their work
    EXPECT_EQ(hBefore, NextHandleSlot());
}

// Names and texts at the sizes that matter: empty, the 255 limit of key names,
// and far beyond. A write either succeeds and reads back byte for byte, or
// fails and leaves nothing behind.
TEST_F(RegistryTest, NamesAndTextsOfExtremeLengthsRoundTripOrFailCleanly)
{
    CRegistry reg(m_strPath);
    const int lengths[] = {0, 255, 20000};
    for (int nName : lengths) {
        for (int nText : lengths) {
            SCOPED_TRACE(testing::Message() << "name " << nName << ", text " << nText);
            CString strName(std::string(static_cast<size_t>(nName), 'n').c_str());
            CString strText(std::string(static_cast<size_t>(nText), 't').c_str());
            const BOOL bSet = reg.SetString("v", strName, strText);
            CString strRead = "old";
            const BOOL bGet = reg.GetString("v", strName, &strRead);
            EXPECT_EQ(bSet, bGet);
            EXPECT_STREQ(bSet ? strText : "", strRead);
            if (nName <= 255) {
                EXPECT_EQ(TRUE, bSet); // well within the registry's limits
            }
            EXPECT_EQ(bSet, reg.ValueExists("v", strName));
            EXPECT_EQ(bSet, reg.DeleteString("v", strName));
        }
    }
    // Key paths: a 255-byte component may exceed what the system takes in one
    // path (Wine: 260 characters in all); either way set and get agree, and a
    // 20,000-byte one fails without harm.
    const CString strKey255(std::string(255, 'k').c_str());
    const CString strKeyHuge(std::string(20000, 'k').c_str());
    int n = 0;
    const BOOL bSet = reg.SetInt(strKey255, "v", 5);
    EXPECT_EQ(bSet, reg.GetInt(strKey255, "v", &n));
    EXPECT_EQ(bSet ? 5 : 0, n);
    EXPECT_EQ(bSet, reg.ValueExists(strKey255, ""));
    n = 0;
    EXPECT_EQ(FALSE, reg.SetInt(strKeyHuge, "v", 5));
    EXPECT_EQ(FALSE, reg.GetInt(HKEY_CURRENT_USER, Sub(strKeyHuge), "v", &n));
    EXPECT_EQ(FALSE, reg.ValueExists(strKeyHuge, ""));
    EXPECT_EQ(0, n);
}

// Another program may store text without its terminating zero, or bytes with
// no zero at all: the text ends with the stored data.
TEST_F(RegistryTest, StringsWithoutATerminatingZeroAreNotReadPastTheirEnd)
{
    // The byte after the counted data is not zero, so nothing can supply one.
    const char szSource[] = "abcdefXYZ";
    RawSet("", "sz", REG_SZ, szSource, 6);
    RawSet("", "bin", REG_BINARY, "XYZ", 3);
    std::string strBig(4096, 'q');
    RawSet("", "bigbin", REG_BINARY, strBig.data(), static_cast<DWORD>(strBig.size()));
    RawSet("", "one", REG_BINARY, "Q", 1);
    RawSet("", "none", REG_BINARY, "", 0);
    CRegistry reg(m_strPath);
    CString str;
    EXPECT_EQ(TRUE, reg.GetString("", "sz", &str));
    EXPECT_STREQ("abcdef", str);
    EXPECT_EQ(TRUE, reg.GetString(m_hTest, "bin", &str));
    EXPECT_STREQ("XYZ", str);
    EXPECT_EQ(TRUE, reg.GetString(HKEY_CURRENT_USER, m_strSubKey, "bigbin", &str));
    EXPECT_EQ(4096, str.GetLength());
    EXPECT_EQ(strBig, str.str());
    EXPECT_EQ(TRUE, reg.GetString("", "one", &str));
    EXPECT_STREQ("Q", str);
    str = "old";
    EXPECT_EQ(TRUE, reg.GetString("", "none", &str));
    EXPECT_STREQ("", str);
}

// A text that changes size between the size query and the read is read whole
// or not at all, never cut or padded.
TEST_F(RegistryTest, StringThatChangesSizeWhileBeingReadIsReadWholeOrNotAtAll)
{
    const std::string strShort = "short";
    const std::string strLong(3000, 'L');
    RawSet("", "s", REG_SZ, strShort.c_str(), static_cast<DWORD>(strShort.size() + 1));
    std::atomic<bool> bStop(false);
    const CString strSubKey = m_strSubKey;
    std::thread writer([&] {
        const CTestKey key(HKEY_CURRENT_USER, strSubKey, KEY_WRITE);
        for (int i = 0; !bStop; ++i) {
            const std::string& s = (i % 2) ? strLong : strShort;
            RegSetValueExA(key.Get(), "s", 0, REG_SZ, reinterpret_cast<const BYTE*>(s.c_str()),
                           static_cast<DWORD>(s.size() + 1));
        }
    });
    CRegistry reg(m_strPath);
    int nRead = 0, nFailed = 0, nWrong = 0;
    for (int i = 0; i < 3000; ++i) {
        CString str = "old";
        if (reg.GetString(m_hTest, "s", &str)) {
            ++nRead;
            if (str.str() != strShort && str.str() != strLong)
                ++nWrong;
        } else {
            ++nFailed;
            if (str != "old")
                ++nWrong;
        }
    }
    bStop = true;
    writer.join();
    EXPECT_EQ(0, nWrong);
    EXPECT_GT(nRead, nFailed);
}

TEST_F(RegistryTest, ValuesLargerThanTheCallersBufferFailWithoutOverflow)
{
    RawSet("", "b", REG_BINARY, "0123456789ABCDEF", 16);
    CRegistry reg(m_strPath);
    struct Guarded {
        BYTE before[8];
        BYTE data[8];
        BYTE after[8];
    } buffer;
    std::memset(&buffer, 0xEE, sizeof(buffer));
    DWORD cb = sizeof(buffer.data);
    EXPECT_EQ(FALSE, reg.GetBinary("", "b", buffer.data, &cb));
    cb = sizeof(buffer.data);
    EXPECT_EQ(FALSE, reg.GetBinary(HKEY_CURRENT_USER, m_strSubKey, "b", buffer.data, &cb));
    cb = 0;
    EXPECT_EQ(FALSE, reg.GetBinary(m_hTest, "b", buffer.data, &cb));
    for (BYTE b : buffer.before)
        EXPECT_EQ(0xEE, b);
    for (BYTE b : buffer.after)
        EXPECT_EQ(0xEE, b);
    cb = 16;
    BYTE exact[16];
    EXPECT_EQ(TRUE, reg.GetBinary("", "b", exact, &cb));
    EXPECT_EQ(0, std::memcmp(exact, "0123456789ABCDEF", 16));
}

// Text values far beyond any setting are refused instead of allocated.
TEST_F(RegistryTest, OversizedStringValueIsRefused)
{
    std::string strHuge(16 * 1024 * 1024 + 1, 'h');
    RawSet("", "huge", REG_BINARY, strHuge.data(), static_cast<DWORD>(strHuge.size()));
    strHuge.assign(1024 * 1024, 'm');
    RawSet("", "mega", REG_BINARY, strHuge.data(), static_cast<DWORD>(strHuge.size()));
    CRegistry reg(m_strPath);
    CString str = "old";
    EXPECT_EQ(FALSE, reg.GetString(m_hTest, "huge", &str));
    EXPECT_STREQ("old", str);
    EXPECT_EQ(FALSE, reg.GetString("", "huge", &str));
    EXPECT_STREQ("", str);
    EXPECT_EQ(TRUE, reg.GetString("", "mega", &str));
    EXPECT_EQ(1024 * 1024, str.GetLength());
}
