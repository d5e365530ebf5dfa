#include "app/Hotkey.h"

#include "settings/Settings.h"

namespace {

const UINT kKnownModifiers = MOD_ALT | MOD_CONTROL | MOD_SHIFT | MOD_WIN;

bool IsModifierKey(UINT uKey)
{
    return uKey == VK_SHIFT || uKey == VK_CONTROL || uKey == VK_MENU || uKey == VK_LWIN ||
           uKey == VK_RWIN || (uKey >= VK_LSHIFT && uKey <= VK_RMENU);
}

} // namespace

bool DecodeHotkey(DWORD dwStored, UINT* pfsModifiers, UINT* puKey)
{
    const UINT fsModifiers = (dwStored >> 8) & 0xFF;
    const UINT uKey = dwStored & 0xFF;
    if (dwStored > 0xFFFF || fsModifiers == 0 || (fsModifiers & ~kKnownModifiers) != 0 ||
        uKey == 0 || IsModifierKey(uKey))
        return false;
    // Held down, the key would otherwise bring the window up again and again.
    *pfsModifiers = fsModifiers | MOD_NOREPEAT;
    *puKey = uKey;
    return true;
}

bool RegisterStoredHotkey(HWND hWnd, int nId)
{
    DWORD dwStored = 0;
    UINT fsModifiers = 0, uKey = 0;
    return Settings::LoadHotkey(&dwStored) && DecodeHotkey(dwStored, &fsModifiers, &uKey) &&
           RegisterHotKey(hWnd, nId, fsModifiers, uKey);
}
