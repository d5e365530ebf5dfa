#pragma once
// Tests of what the program stores work on its real key, as the program does:
// whatever settings this user had are saved away before the first test and
// put back after the last; each test starts without the key.
#include "TestSupport.h"
#include "util/registry/RegKey.h"

#include <cstring>
#include <string>

class SettingsKeyTest : public testing::Test {
public:
    static constexpr char kKey[] = "Software\\VORNELIX\\Quillfind";
    static constexpr char kBackupKey[] = "Software\\VORNELIX\\Quillfind unit test backup";

    static void SetUpTestSuite() { s_bSaved = CopyKey(kKey, kBackupKey); }

    static void TearDownTestSuite()
    {
        RegDeleteTreeA(HKEY_CURRENT_USER, kKey);
        if (s_bSaved)
            CopyKey(kBackupKey, kKey);
        RegDeleteTreeA(HKEY_CURRENT_USER, kBackupKey);
    }

    static std::string SubKey(const char* sub)
    {
        return *sub ? std::string(kKey) + "\\" + sub : std::string(kKey);
    }

    static void PutValue(const char* sub, const char* name, DWORD type, const void* data,
                         DWORD size)
    {
        RawSetValue(HKEY_CURRENT_USER, SubKey(sub).c_str(), name, type, data, size);
    }

    static void PutDword(const char* sub, const char* name, DWORD value)
    {
        PutValue(sub, name, REG_DWORD, &value, sizeof(value));
    }

    // A history text as Windows keeps it, UTF-16, from code page 932.
    static void PutText(const char* name, const char* text)
    {
        const CWideText wide = ToWide(text);
        CRegKey key;
        ASSERT_EQ(ERROR_SUCCESS, key.Create(HKEY_CURRENT_USER, SubKey("text").c_str()));
        EXPECT_EQ(ERROR_SUCCESS,
                  RegSetValueExW(key.Get(), ToWide(name).c_str(), 0, REG_SZ,
                                 reinterpret_cast<const BYTE*>(wide.c_str()),
                                 static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t))));
    }

    // A stored history text in code page 932 without its terminating zero;
    // "<missing>" or "<type N>" otherwise.
    static std::string StoredText(const char* name)
    {
        CRegKey key;
        DWORD type = 0, size = 0;
        const CWideText wname = ToWide(name);
        if (key.Open(HKEY_CURRENT_USER, SubKey("text").c_str(), KEY_READ) != ERROR_SUCCESS ||
            RegQueryValueExW(key.Get(), wname.c_str(), nullptr, &type, nullptr, &size) !=
                ERROR_SUCCESS)
            return "<missing>";
        std::wstring data(size / sizeof(wchar_t) + 1, L'\0');
        RegQueryValueExW(key.Get(), wname.c_str(), nullptr, &type,
                         reinterpret_cast<BYTE*>(&data[0]), &size);
        data.resize(size / sizeof(wchar_t));
        if (type != REG_SZ || data.empty() || data.back() != L'\0')
            return "<type " + std::to_string(type) + ">";
        return FromWide(data.c_str()).str();
    }

    static bool StoredDword(const char* sub, const char* name, DWORD* pValue)
    {
        DWORD type = 0;
        std::string data;
        if (!RawGetValue(HKEY_CURRENT_USER, SubKey(sub).c_str(), name, &data, &type) ||
            type != REG_DWORD || data.size() != 4)
            return false;
        memcpy(pValue, data.data(), 4);
        return true;
    }

protected:
    void SetUp() override { RegDeleteTreeA(HKEY_CURRENT_USER, kKey); }
    void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, kKey); }

private:
    // Replaces the key pTo with a copy of pFrom; false when pFrom is missing.
    static bool CopyKey(const char* pFrom, const char* pTo)
    {
        RegDeleteTreeA(HKEY_CURRENT_USER, pTo);
        const CTestKey from(HKEY_CURRENT_USER, pFrom, KEY_READ);
        if (!from.IsOpen())
            return false;
        const CTestKey to(HKEY_CURRENT_USER, pTo);
        return to.IsOpen() && RegCopyTreeA(from.Get(), nullptr, to.Get()) == ERROR_SUCCESS;
    }

    static inline bool s_bSaved = false;
};
