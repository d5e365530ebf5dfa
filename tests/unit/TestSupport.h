#pragma once
// What the unit tests of every area need: the message pump, the code-page
// check, window texts, the screen's dots per inch, registry values written
// and read as raw bytes past the class under test through keys that close
// themselves, and the web pages opened.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "framework/Shell.h"
#include "framework/WideText.h"
#include "util/registry/RegKey.h"

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

// A window's text in code page 932, read as UTF-16 on the window's own thread
// whatever the process's code page is.
inline std::string WindowText(HWND hWnd)
{
    return ReadWindowText(hWnd).str();
}

// Entry i of a combo box's list, the same way; "<none>" when there is none.
inline std::string ComboItemText(HWND hCombo, int i)
{
    LRESULT n = SendMessageW(hCombo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
    if (n == CB_ERR)
        return "<none>";
    std::wstring s(static_cast<size_t>(n) + 1, L'\0');
    n = SendMessageW(hCombo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&s[0]));
    return FromWide(s.c_str(), n > 0 ? static_cast<int>(n) : 0).str();
}

// What a font was made with, its face name in code page 932: GDI keeps it as
// UTF-16 whatever the process's code page. Zeroed when the handle is no font.
inline LOGFONTA FontInfo(HFONT hFont)
{
    LOGFONTW wide = {};
    LOGFONTA lf = {};
    if (!hFont || GetObjectW(hFont, sizeof(wide), &wide) != sizeof(wide))
        return lf;
    memcpy(&lf, &wide, offsetof(LOGFONTA, lfFaceName));
    const CString face = FromWide(wide.lfFaceName);
    lstrcpynA(lf.lfFaceName, face, LF_FACESIZE);
    return lf;
}

// Sets a window's text from code page 932 as UTF-16, as a user's typing or
// pasting gives it.
inline void SetText(HWND hWnd, const char* psz)
{
    SetWindowTextW(hWnd, ToWide(psz).c_str());
}

// A key of a test's own, opened past the class under test and closed when it
// goes: with an access it is opened as it is, without one it is created with
// any missing keys on the way, with the options given. IsOpen says whether the
// registry let it.
class CTestKey : public CRegKey {
public:
    CTestKey(HKEY hParent, const char* pszSubKey, REGSAM samDesired = 0, DWORD dwOptions = 0)
    {
        HKEY hKey = nullptr;
        m_lResult = samDesired ? RegOpenKeyExA(hParent, pszSubKey, 0, samDesired, &hKey)
                               : RegCreateKeyExA(hParent, pszSubKey, 0, nullptr, dwOptions,
                                                 KEY_ALL_ACCESS, nullptr, &hKey, nullptr);
        if (m_lResult == ERROR_SUCCESS)
            Attach(hKey);
    }
    LONG Result() const { return m_lResult; }

private:
    LONG m_lResult;
};

// Writes the bytes exactly as given, as another program might; missing keys
// on the way are created.
inline void RawSetValue(HKEY hParent, const char* pszSubKey, const char* pszName, DWORD dwType,
                        const void* pData, DWORD cbData)
{
    const CTestKey key(hParent, pszSubKey);
    ASSERT_EQ(ERROR_SUCCESS, key.Result());
    EXPECT_EQ(ERROR_SUCCESS, RegSetValueExA(key.Get(), pszName, 0, dwType,
                                            static_cast<const BYTE*>(pData), cbData));
}

// The stored bytes and type; false when the key or the value is missing.
inline bool RawGetValue(HKEY hParent, const char* pszSubKey, const char* pszName,
                        std::string* pData, DWORD* pdwType = nullptr)
{
    const CTestKey key(hParent, pszSubKey, KEY_READ);
    if (!key.IsOpen())
        return false;
    DWORD dwType = 0, cbData = 0;
    LONG lResult = RegQueryValueExA(key.Get(), pszName, nullptr, &dwType, nullptr, &cbData);
    if (lResult == ERROR_SUCCESS) {
        pData->assign(cbData, '\0');
        lResult = RegQueryValueExA(key.Get(), pszName, nullptr, &dwType,
                                   reinterpret_cast<BYTE*>(&(*pData)[0]), &cbData);
        pData->resize(cbData);
    }
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
