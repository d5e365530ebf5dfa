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
        HKEY hKey = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, m_strSubKey, 0, nullptr, 0,
                                                 KEY_ALL_ACCESS, nullptr, &hKey, nullptr));
        m_hTest = hKey;
    }

    void TearDown() override
    {
        if (m_hTest)
            RegCloseKey(m_hTest);
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
        HKEY hKey = nullptr;
        const LONG lResult =
            *pszRelative ? RegOpenKeyExA(m_hTest, pszRelative, 0, KEY_READ, &hKey)
                         : RegOpenKeyExA(HKEY_CURRENT_USER, m_strSubKey, 0, KEY_READ, &hKey);
        if (lResult != ERROR_SUCCESS)
            return false;
        RegCloseKey(hKey);
        return true;
    }

    void MakeKey(const char* pszRelative) const
    {
        HKEY hKey = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(m_hTest, pszRelative, 0, nullptr, 0,
                                                 KEY_ALL_ACCESS, nullptr, &hKey, nullptr));
        RegCloseKey(hKey);
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
    HKEY m_hTest = nullptr;
};
