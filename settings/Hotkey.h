// The global hotkey as the user meets it: its name in messages, and the value
// the standard hotkey control holds for it.
//
// The file and RegisterHotKey keep the modifiers as MOD_ALT 1, MOD_CONTROL 2,
// MOD_SHIFT 4 (kHotkey*); the hotkey control packs the virtual key in the
// low byte of a word and its own modifier bits in the high byte, in another
// order: HOTKEYF_SHIFT 1, HOTKEYF_CONTROL 2, HOTKEYF_ALT 4 (HOTKEYF_EXT 8
// marks an extended key and carries no modifier).
#pragma once

#include <string>

#include "settings/SettingsExtension.h"

namespace mrv {

// "Ctrl+Shift+F9", "Print Screen", "Alt+A"; "なし" (none) for no hotkey.
// Keys without a fixed name on every keyboard layout show their code
// ("Ctrl+キー 0xBA").
[[nodiscard]] std::wstring HotkeyName(const SettingsExtension& hotkey);

// The hotkey control's value for the hotkey (extended keys such as Print
// Screen, Insert or the arrows marked as such, so the control names them
// right), and the hotkey for a value read from the control (0, or a value
// without a key, is no hotkey).
[[nodiscard]] int HotkeyControlValue(const SettingsExtension& hotkey);
[[nodiscard]] SettingsExtension HotkeyFromControlValue(int value);

// The label shown once when the hotkey could not be registered: the key and
// where to change it.
[[nodiscard]] std::wstring HotkeyUnavailableMessage(const SettingsExtension& hotkey);

}  // namespace mrv
