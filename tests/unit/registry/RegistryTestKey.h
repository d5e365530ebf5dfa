#pragma once
// Each test works below its own key "HKEY_CURRENT_USER\Software\QfTest-<pid>-<n>",
// made empty for it and removed with everything below it afterwards.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "TestSupport.h"
#include "framework/String.h"
#include "util/registry/Registry.h"

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        static int s_nTest = 0;
        m_strSubKey.Format("Software\\QfTest-%lu-%d", GetCurrentProcessId(), ++s_nTest);
        m_strPath = "HKEY_CURRENT_USER\\" + m_strSubKey;
        RegDeleteTreeA(HKEY_CURRENT_USER, m_strSubKey);
        ASSERT_EQ(ERROR_SUCCESS, m_testKey.Create(HKEY_CURRENT_USER, m_strSubKey));
        m_hTest = m_testKey.Get();
    }

    void TearDown() override
    {
        m_testKey.Close();
        RegDeleteTreeA(HKEY_CURRENT_USER, m_strSubKey);
        RegDeleteKeyA(HKEY_CURRENT_USER, m_strSubKey);
    }

    // Sub-key of the test key, as a path below HKEY_CURRENT_USER.
    CString Sub(const char* pszRelative) const
    {
        return *pszRelative ? m_strSubKey + "\\" + pszRelative : m_strSubKey;
    }

    // Relative to the open test key, so that paths stay short; the test key
    // itself is looked up from the root.
    bool KeyExists(const char* pszRelative) const
    {
        return *pszRelative ? CTestKey(m_hTest, pszRelative, KEY_READ).IsOpen()
                            : CTestKey(HKEY_CURRENT_USER, m_strSubKey, KEY_READ).IsOpen();
    }

    void MakeKey(const char* pszRelative) const
    {
        ASSERT_EQ(ERROR_SUCCESS, CTestKey(m_hTest, pszRelative).Result());
    }

    // Writes the bytes exactly as given, as another program might.
    void RawSet(const char* pszRelative, const char* pszName, DWORD dwType, const void* pData,
                DWORD cbData) const
    {
        RawSetValue(m_hTest, pszRelative, pszName, dwType, pData, cbData);
    }

    void RawSetDword(const char* pszRelative, const char* pszName, DWORD dwValue) const
    {
        RawSet(pszRelative, pszName, REG_DWORD, &dwValue, sizeof(dwValue));
    }

    // The stored bytes and type; false when the value is missing.
    bool RawGet(const char* pszRelative, const char* pszName, std::string* pData,
                DWORD* pdwType = nullptr) const
    {
        return RawGetValue(m_hTest, pszRelative, pszName, pData, pdwType);
    }

    bool ValuePresent(const char* pszRelative, const char* pszName) const
    {
        std::string strData;
        return RawGet(pszRelative, pszName, &strData);
    }

    CString m_strSubKey; // "Software\QfTest-..."
    CString m_strPath;   // "HKEY_CURRENT_USER\Software\QfTest-..."
    CRegKey m_testKey;
    HKEY m_hTest = nullptr; // the test key, held open by m_testKey
};
