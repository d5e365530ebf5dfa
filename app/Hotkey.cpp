#include "app/Hotkey.h"

#include "settings/Settings.h"

#include <algorithm>
#include <iterator>

namespace {

const UINT kKnownModifiers = MOD_ALT | MOD_CONTROL | MOD_SHIFT | MOD_WIN;

bool IsModifierKey(UINT uKey)
{
    return uKey == VK_SHIFT || uKey == VK_CONTROL || uKey == VK_MENU || uKey == VK_LWIN ||
           uKey == VK_RWIN || (uKey >= VK_LSHIFT && uKey <= VK_RMENU);
}

// No key press gives these: they are the mouse's buttons.
bool IsMouseButton(UINT uKey)
{
    return uKey >= VK_LBUTTON && uKey <= VK_XBUTTON2;
}

// Keys that give a character: with Shift alone they type a capital or a symbol.
bool IsTypingKey(UINT uKey)
{
    return (uKey >= '0' && uKey <= '9') || (uKey >= 'A' && uKey <= 'Z') || uKey == VK_SPACE ||
           (uKey >= VK_NUMPAD0 && uKey <= VK_DIVIDE) || (uKey >= VK_OEM_1 && uKey <= VK_OEM_3) ||
           (uKey >= VK_OEM_4 && uKey <= VK_OEM_8) || uKey == VK_OEM_102;
}

// What users press in every program: taken as the hotkey, Ctrl+C in the query
// box would bring the window back instead of copying, Shift+Q would type no Q.
bool IsEverydayCombination(UINT fsModifiers, UINT uKey)
{
    static const UINT kEditingKeys[] = {'C', 'V', 'X', 'Z', 'A', VK_INSERT, VK_DELETE};
    static const UINT kWindowKeys[] = {VK_F4, VK_TAB, VK_SPACE};
    const auto isOneOf = [uKey](const auto& keys) {
        return std::find(std::begin(keys), std::end(keys), uKey) != std::end(keys);
    };
    return ((fsModifiers == MOD_CONTROL || fsModifiers == MOD_SHIFT) && isOneOf(kEditingKeys)) ||
           (fsModifiers == MOD_SHIFT && IsTypingKey(uKey)) ||
           (fsModifiers == MOD_ALT && isOneOf(kWindowKeys));
}

} // namespace

bool DecodeHotkey(DWORD dwStored, UINT* pfsModifiers, UINT* puKey)
{
    const UINT fsModifiers = (dwStored >> 8) & 0xFF;
    const UINT uKey = dwStored & 0xFF;
    if (dwStored > 0xFFFF || fsModifiers == 0 || (fsModifiers & ~kKnownModifiers) != 0 ||
        uKey == 0 || IsModifierKey(uKey) || IsMouseButton(uKey) ||
        IsEverydayCombination(fsModifiers, uKey))
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
