// The stored hotkey value, the user's or the administrator's, and what is
// registered for it, seen from another window trying to take the same
// combination.
#include "SettingsKeyTest.h"

#include "app/Hotkey.h"

#include <optional>

TEST_F(SettingsKeyTest, StoredHotkeyValuesAndWhatIsRegistered)
{
    HWND hOwn = CreateWindowA("STATIC", "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    HWND hOther = CreateWindowA("STATIC", "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    const struct {
        const char* pszWhat;
        std::optional<DWORD> stored;
        UINT fsModifiers, uKey;        // 0: nothing registered
        std::optional<DWORD> policy{}; // the administrator's value
    } cases[] = {
        {"absent", std::nullopt, 0, 0},
        {"0", 0, 0, 0},
        {"Ctrl+Alt+Q", 0x0351, MOD_CONTROL | MOD_ALT, 'Q'},
        {"Shift+Win+F1", 0x0C70, MOD_SHIFT | MOD_WIN, VK_F1},
        {"no modifier", 0x0051, 0, 0},
        {"unknown modifier bit", 0x1351, 0, 0},
        {"a modifier key", 0x0311, 0, 0},
        {"the left Windows key", 0x035B, 0, 0},
        {"bits above the second byte", 0x10351, 0, 0},
        {"no key", 0x0300, 0, 0},
        {"a mouse button", 0x0301, 0, 0},
        {"the last mouse button", 0x0306, 0, 0},
        {"Ctrl+C", 0x0243, 0, 0},
        {"Shift+Insert", 0x042D, 0, 0},
        {"Alt+F4", 0x0173, 0, 0},
        {"Alt+Tab", 0x0109, 0, 0},
        {"Alt+Space", 0x0120, 0, 0},
        {"Shift+Q", 0x0451, 0, 0},
        {"Shift+a punctuation key", 0x04BD, 0, 0},
        {"Shift+F1", 0x0470, MOD_SHIFT, VK_F1},
        {"Ctrl+Shift+C", 0x0643, MOD_CONTROL | MOD_SHIFT, 'C'},
        {"the administrator's wins", 0x0351, MOD_SHIFT | MOD_WIN, VK_F1, 0x0C70},
        {"the administrator's none", 0x0351, 0, 0, 0},
        {"the administrator's only", std::nullopt, MOD_CONTROL | MOD_ALT, 'Q', 0x0351},
    };
    const char kPolicyKey[] = "Software\\Policies\\VORNELIX\\Quillfind";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszWhat);
        RegDeleteTreeA(HKEY_CURRENT_USER, kKey);
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, kPolicyKey);
        if (c.stored)
            PutDword("", "hotkey", *c.stored);
        if (c.policy)
            RawSetValue(HKEY_LOCAL_MACHINE, kPolicyKey, "hotkey", REG_DWORD, &*c.policy, 4);
        EXPECT_EQ(RegisterStoredHotkey(hOwn, 1), c.uKey != 0);
        if (c.uKey) {
            EXPECT_FALSE(RegisterHotKey(hOther, 2, c.fsModifiers, c.uKey)) << "not registered";
            UnregisterHotKey(hOwn, 1);
        }
        UINT fsModifiers = 0, uKey = 0;
        if (DecodeHotkey(c.policy.value_or(c.stored.value_or(0)), &fsModifiers, &uKey)) {
            EXPECT_EQ(fsModifiers, c.fsModifiers | MOD_NOREPEAT);
        }
    }
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kPolicyKey);
    DestroyWindow(hOther);
    DestroyWindow(hOwn);
}
