#include "settings/Hotkey.h"

#include <cstdio>

namespace mrv {
namespace {

// The hotkey control's modifier bits, and its mark of an extended key.
constexpr int kControlShift = 0x1;
constexpr int kControlCtrl = 0x2;
constexpr int kControlAlt = 0x4;
constexpr int kControlExtended = 0x8;

// Keys whose scan code comes with the extended prefix. The control names a
// key from its scan code, and without the mark Print Screen would read as
// the keypad's "*", Insert as keypad 0, and so on.
bool IsExtendedKey(int key) {
    return key == 0x03 || (key >= 0x21 && key <= 0x28) || key == 0x2C || key == 0x2D ||
           key == 0x2E || (key >= 0x5B && key <= 0x5D) || key == 0x6F || key == 0x90;
}

struct NamedKey {
    int key;
    const wchar_t* name;
};
// Virtual keys whose name is the same on every layout.
constexpr NamedKey kNamedKeys[] = {
    {0x08, L"Backspace"},   {0x09, L"Tab"},    {0x0D, L"Enter"},  {0x13, L"Pause"},
    {0x14, L"Caps Lock"},   {0x1B, L"Esc"},    {0x20, L"Space"},  {0x21, L"Page Up"},
    {0x22, L"Page Down"},   {0x23, L"End"},    {0x24, L"Home"},   {0x25, L"←"},
    {0x26, L"↑"},           {0x27, L"→"},      {0x28, L"↓"},      {0x2C, L"Print Screen"},
    {0x2D, L"Insert"},      {0x2E, L"Delete"}, {0x6A, L"Num *"},  {0x6B, L"Num +"},
    {0x6D, L"Num -"},       {0x6E, L"Num ."},  {0x6F, L"Num /"},  {0x90, L"Num Lock"},
    {0x91, L"Scroll Lock"}, {0x1C, L"変換"},   {0x1D, L"無変換"}, {0x19, L"半角/全角"},
};

std::wstring KeyName(int key) {
    if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z'))
        return std::wstring(1, static_cast<wchar_t>(key));
    if (key >= 0x60 && key <= 0x69) return L"Num " + std::to_wstring(key - 0x60);
    if (key >= 0x70 && key <= 0x87) return L"F" + std::to_wstring(key - 0x70 + 1);
    for (const NamedKey& k : kNamedKeys)
        if (k.key == key) return k.name;
    wchar_t code[16];
    std::swprintf(code, 16, L"キー 0x%02X", static_cast<unsigned>(key) & 0xFF);
    return code;
}

}  // namespace

std::wstring HotkeyName(const SettingsExtension& hotkey) {
    if (hotkey.hotkeyKey == kHotkeyNone) return L"なし";
    std::wstring name;
    if (hotkey.hotkeyModifiers & kHotkeyControl) name += L"Ctrl+";
    if (hotkey.hotkeyModifiers & kHotkeyShift) name += L"Shift+";
    if (hotkey.hotkeyModifiers & kHotkeyAlt) name += L"Alt+";
    return name + KeyName(hotkey.hotkeyKey);
}

int HotkeyControlValue(const SettingsExtension& hotkey) {
    if (hotkey.hotkeyKey <= kHotkeyNone || hotkey.hotkeyKey > kMaxVirtualKey) return 0;
    int flags = 0;
    if (hotkey.hotkeyModifiers & kHotkeyShift) flags |= kControlShift;
    if (hotkey.hotkeyModifiers & kHotkeyControl) flags |= kControlCtrl;
    if (hotkey.hotkeyModifiers & kHotkeyAlt) flags |= kControlAlt;
    if (IsExtendedKey(hotkey.hotkeyKey)) flags |= kControlExtended;
    return hotkey.hotkeyKey | flags << 8;
}

SettingsExtension HotkeyFromControlValue(int value) {
    SettingsExtension hotkey;
    hotkey.hotkeyKey = value & 0xFF;
    hotkey.hotkeyModifiers = 0;
    if (hotkey.hotkeyKey == kHotkeyNone || hotkey.hotkeyKey > kMaxVirtualKey) {
        hotkey.hotkeyKey = kHotkeyNone;  // a bare modifier, or the control's "none"
        return hotkey;
    }
    const int flags = value >> 8 & 0xFF;
    if (flags & kControlShift) hotkey.hotkeyModifiers |= kHotkeyShift;
    if (flags & kControlCtrl) hotkey.hotkeyModifiers |= kHotkeyControl;
    if (flags & kControlAlt) hotkey.hotkeyModifiers |= kHotkeyAlt;
    return hotkey;
}

std::wstring HotkeyUnavailableMessage(const SettingsExtension& hotkey) {
    return L"ホットキー「" + HotkeyName(hotkey) +
           L"」を登録できませんでした．\n「設定」で別のキーを選べます．";
}

}  // namespace mrv
