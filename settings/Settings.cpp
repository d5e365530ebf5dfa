#include "settings/Settings.h"

#include "framework/WideText.h"
#include "settings/SearchHistory.h"
#include "util/registry/RegKey.h"
#include "util/registry/Registry.h"

#include <algorithm>

namespace {

// Removal works on the maker's key, so it can take the program's whole key away.
const char kVendorKeyPath[] = "HKEY_CURRENT_USER\\Software\\VORNELIX";
const char kProgramKeyName[] = "Quillfind";

// Below HKEY_CURRENT_USER.
const char kProgramKey[] = "Software\\VORNELIX\\Quillfind";
const char kHistoryKey[] = "Software\\VORNELIX\\Quillfind\\text";
const char kPositionKey[] = "Software\\VORNELIX\\Quillfind\\WinPos\\Search";
// Below HKEY_LOCAL_MACHINE: what an administrator sets for every user.
const char kPolicyKey[] = "Software\\Policies\\VORNELIX\\Quillfind";

const char kModeValue[] = "mode";
const char kHotkeyValue[] = "hotkey";
const char kEnterValue[] = "enter";
const char kHistoryValueFormat[] = "text%02X";
const char kPosXValue[] = "posX";
const char kPosYValue[] = "posY";

// A history text is short; a larger value is not one of ours and is refused
// rather than allocated.
const DWORD kMaxTextBytes = 16 * 1024 * 1024;
// A value may change size between the size query and the read.
const int kTextReadAttempts = 8;

// A copy whose turn does not come within this time saves all the same: a
// hung copy must not cost the others their history.
const DWORD kHistoryTurnWaitMs = 1000;

// One key of the settings, opened once for what follows, and the value
// operations on it.
class CSettingsKey {
public:
    bool OpenForReading(const char* pszSubKey, HKEY hRoot = HKEY_CURRENT_USER)
    {
        // Where a 32-bit copy runs on 64-bit Windows, the administrator's
        // tools write the 64-bit view of the machine's key.
        const REGSAM samView = hRoot == HKEY_LOCAL_MACHINE ? KEY_WOW64_64KEY : 0;
        return m_key.Open(hRoot, pszSubKey, KEY_READ | samView) == ERROR_SUCCESS;
    }

    // Missing keys on the way are created.
    bool OpenForWriting(const char* pszSubKey)
    {
        return m_key.Create(HKEY_CURRENT_USER, pszSubKey) == ERROR_SUCCESS;
    }

    // A number: a value of another type is not taken for one. A REG_DWORD
    // shorter than 4 bytes fills only the low bytes, so the value is read
    // into a zeroed variable; the output changes only on success.
    template <typename T> bool Read(const char* pszName, T* pValue)
    {
        DWORD dwType = REG_NONE;
        T value{};
        if (!m_key.IsOpen() || !m_reg.GetValueType(m_key.Get(), pszName, &dwType) ||
            dwType != REG_DWORD || !ReadValue(pszName, &value))
            return false;
        *pValue = value;
        return true;
    }

    // The history's texts are stored as UTF-16 and converted here, so that they
    // survive a process whose code page is not 932. A text ends at its first
    // zero or at the end of the stored data.
    bool ReadText(const char* pszName, CString* pstrText)
    {
        const CWideText name = ToWide(pszName);
        for (int nAttempt = 0; m_key.IsOpen() && nAttempt < kTextReadAttempts; ++nAttempt) {
            DWORD dwType = REG_NONE, cbSize = 0;
            if (RegQueryValueExW(m_key.Get(), name.c_str(), nullptr, &dwType, nullptr, &cbSize) !=
                    ERROR_SUCCESS ||
                dwType != REG_SZ || cbSize > kMaxTextBytes)
                return false;
            CWideText text(cbSize / sizeof(wchar_t) + 1);
            DWORD cbRead = cbSize;
            const LONG lResult = RegQueryValueExW(m_key.Get(), name.c_str(), nullptr, &dwType,
                                                  reinterpret_cast<BYTE*>(text.data()), &cbRead);
            if (lResult == ERROR_MORE_DATA)
                continue; // grew since the size query: measure again
            if (lResult != ERROR_SUCCESS || dwType != REG_SZ)
                return false;
            text.resize(std::min(cbRead, cbSize) / sizeof(wchar_t));
            *pstrText = FromWide(text.c_str());
            return true;
        }
        return false;
    }

    bool WriteText(const char* pszName, const CString& strText)
    {
        const CWideText name = ToWide(pszName);
        const CWideText text = ToWide(strText);
        const DWORD cbData = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
        return RegSetValueExW(m_key.Get(), name.c_str(), 0, REG_SZ,
                              reinterpret_cast<const BYTE*>(text.c_str()), cbData) == ERROR_SUCCESS;
    }

    // The object's own path is never used: every call works on the open key.
    CRegistry& Values() { return m_reg; }
    HKEY Get() const { return m_key.Get(); }

private:
    BOOL ReadValue(const char* pszName, DWORD* pdwValue)
    {
        return m_reg.GetDword(m_key.Get(), pszName, pdwValue);
    }
    BOOL ReadValue(const char* pszName, int* pnValue)
    {
        return m_reg.GetInt(m_key.Get(), pszName, pnValue);
    }

    CRegistry m_reg{CString("HKEY_CURRENT_USER\\") + kProgramKey};
    CRegKey m_key;
};

CString HistoryValueName(int i)
{
    CString strName;
    strName.Format(kHistoryValueFormat, i);
    return strName;
}

// Writes the entries as "text00" on and removes the names after them; false
// when an entry could not be written.
bool WriteHistory(const std::vector<CString>& history)
{
    CSettingsKey key;
    if (!key.OpenForWriting(kHistoryKey))
        return false;
    bool bWritten = true;
    for (int i = 0; i < kHistoryLimit; ++i) {
        const CString strName = HistoryValueName(i);
        if (static_cast<size_t>(i) < history.size())
            bWritten = key.WriteText(strName, history[static_cast<size_t>(i)]) && bWritten;
        else
            key.Values().DeleteString(key.Get(), strName);
    }
    return bWritten;
}

// A keyboard value: the administrator's, where there is one, wins over the
// user's own.
bool ReadKeyboardValue(const char* pszName, DWORD* pdwValue)
{
    CSettingsKey policy, user;
    return (policy.OpenForReading(kPolicyKey, HKEY_LOCAL_MACHINE) &&
            policy.Read(pszName, pdwValue)) ||
           (user.OpenForReading(kProgramKey) && user.Read(pszName, pdwValue));
}

// The copies of one user save their history one after the other.
class CHistoryTurn {
public:
    CHistoryTurn() : m_hMutex(CreateMutexA(nullptr, FALSE, Settings::kHistoryLockName))
    {
        if (m_hMutex) {
            // An abandoned turn (a copy ended while saving) is ours all the same.
            const DWORD dwWait = WaitForSingleObject(m_hMutex, kHistoryTurnWaitMs);
            m_bOwned = dwWait == WAIT_OBJECT_0 || dwWait == WAIT_ABANDONED;
        }
    }
    ~CHistoryTurn()
    {
        if (m_bOwned)
            ReleaseMutex(m_hMutex);
        if (m_hMutex)
            CloseHandle(m_hMutex);
    }
    CHistoryTurn(const CHistoryTurn&) = delete;
    CHistoryTurn& operator=(const CHistoryTurn&) = delete;

private:
    HANDLE m_hMutex;
    bool m_bOwned = false;
};

} // namespace

namespace Settings {

std::vector<CString> LoadHistory()
{
    CSettingsKey key;
    key.OpenForReading(kHistoryKey);
    std::vector<CString> history;
    for (int i = 0; i < kHistoryLimit; ++i) {
        CString strText;
        if (key.ReadText(HistoryValueName(i), &strText) && !strText.IsEmpty())
            history.push_back(strText);
    }
    return history;
}

void SaveQuery(const CString& strQuery, std::vector<CString>* pHistory)
{
    if (strQuery.IsEmpty())
        return;
    CHistoryTurn turn;
    std::vector<CString> history = LoadHistory();
    PutQueryFirst(&history, strQuery);
    if (WriteHistory(history))
        *pHistory = history;
    else
        PutQueryFirst(pHistory, strQuery);
}

int LoadMode()
{
    CSettingsKey key;
    DWORD dwMode = 0;
    key.OpenForReading(kProgramKey);
    return key.Read(kModeValue, &dwMode) ? static_cast<int>(dwMode) : 0;
}

void SaveMode(int nMode)
{
    CSettingsKey key;
    if (key.OpenForWriting(kProgramKey))
        key.Values().SetDword(key.Get(), kModeValue, static_cast<DWORD>(nMode));
}

// posY is only asked for once posX was there; one without the other is worth
// nothing.
bool LoadPosition(int* pX, int* pY)
{
    CSettingsKey key;
    int x = 0, y = 0;
    key.OpenForReading(kPositionKey);
    if (!key.Read(kPosXValue, &x) || !key.Read(kPosYValue, &y))
        return false;
    *pX = x;
    *pY = y;
    return true;
}

void SavePosition(int x, int y)
{
    CSettingsKey key;
    if (key.OpenForWriting(kPositionKey)) {
        key.Values().SetInt(key.Get(), kPosXValue, x);
        key.Values().SetInt(key.Get(), kPosYValue, y);
    }
}

bool LoadHotkey(DWORD* pdwHotkey)
{
    return ReadKeyboardValue(kHotkeyValue, pdwHotkey);
}

bool LoadEnterSearches()
{
    DWORD dwEnter = 0;
    return ReadKeyboardValue(kEnterValue, &dwEnter) && dwEnter == 1;
}

void Remove()
{
    CRegistry reg(kVendorKeyPath);
    reg.DeleteKey(CString(kProgramKeyName));
}

} // namespace Settings
