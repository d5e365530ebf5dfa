#pragma once
// What the unit tests of every area need: the message pump, the code-page
// check, window texts, the screen's dots per inch, registry values written
// and read as raw bytes past the class under test, and the web pages opened.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "framework/Shell.h"

// Handles the messages waiting for this thread, posted ones included.
inline void PumpMessages()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// The Japanese ANSI code page: the only one here with double-byte characters.
inline bool IsCodePage932()
{
    return GetACP() == 932;
}

// Dots per inch of the screen, as fonts in points are scaled by.
inline int ScreenDpi()
{
    HDC hdc = GetDC(nullptr);
    const int dpi = GetDeviceCaps(hdc, LOGPIXELSY);
    ReleaseDC(nullptr, hdc);
    return dpi;
}

// A window's text, read on the window's own thread.
inline std::string WindowText(HWND hWnd)
{
    std::string s(static_cast<size_t>(GetWindowTextLengthA(hWnd)) + 1, '\0');
    s.resize(static_cast<size_t>(GetWindowTextA(hWnd, &s[0], static_cast<int>(s.size()))));
    return s;
}

// Entry i of a combo box's list; "<none>" when there is no such entry.
inline std::string ComboItemText(HWND hCombo, int i)
{
    LRESULT n = SendMessageA(hCombo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
    if (n == CB_ERR)
        return "<none>";
    std::string s(static_cast<size_t>(n) + 1, '\0');
    n = SendMessageA(hCombo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&s[0]));
    s.resize(static_cast<size_t>(n));
    return s;
}

// Writes the bytes exactly as given, as another program might; missing keys
// on the way are created.
inline void RawSetValue(HKEY hParent, const char* pszSubKey, const char* pszName, DWORD dwType,
                        const void* pData, DWORD cbData)
{
    HKEY hKey = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(hParent, pszSubKey, 0, nullptr, 0, KEY_ALL_ACCESS,
                                             nullptr, &hKey, nullptr));
    EXPECT_EQ(ERROR_SUCCESS,
              RegSetValueExA(hKey, pszName, 0, dwType, static_cast<const BYTE*>(pData), cbData));
    RegCloseKey(hKey);
}

// The stored bytes and type; false when the key or the value is missing.
inline bool RawGetValue(HKEY hParent, const char* pszSubKey, const char* pszName,
                        std::string* pData, DWORD* pdwType = nullptr)
{
    HKEY hKey = nullptr;
    if (RegOpenKeyExA(hParent, pszSubKey, 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return false;
    DWORD dwType = 0, cbData = 0;
    LONG lResult = RegQueryValueExA(hKey, pszName, nullptr, &dwType, nullptr, &cbData);
    if (lResult == ERROR_SUCCESS) {
        pData->assign(cbData, '\0');
        lResult = RegQueryValueExA(hKey, pszName, nullptr, &dwType,
                                   reinterpret_cast<BYTE*>(&(*pData)[0]), &cbData);
        pData->resize(cbData);
    }
    RegCloseKey(hKey);
    if (pdwType)
        *pdwType = dwType;
    return lResult == ERROR_SUCCESS;
}

// Records the addresses handed to OpenWebPage while it lives, instead of
// starting a browser.
class CRecordedPages {
public:
    CRecordedPages() : m_pfnPrevious(SetWebPageOpener(&Record)) { List().clear(); }
    ~CRecordedPages() { SetWebPageOpener(m_pfnPrevious); }
    CRecordedPages(const CRecordedPages&) = delete;
    CRecordedPages& operator=(const CRecordedPages&) = delete;

    const std::vector<std::string>& Pages() const { return List(); }

private:
    static std::vector<std::string>& List()
    {
        static std::vector<std::string> s_pages;
        return s_pages;
    }
    static void Record(const char* pszAddress) { List().emplace_back(pszAddress); }

    WebPageOpener m_pfnPrevious;
};
