// Options newer than the 568-byte file, kept in one block appended behind it.
//
//   file offset 568  +-----------------------------+
//                    | tag "mrv_ext_" (8, no NUL)  |
//              576   | N: length of the fields     |  32-bit little-endian
//              580   | fields (N bytes)            |  see kExtensionFields... below
//          580 + N   | CRC-32 of the N field bytes |  32-bit little-endian (zlib's crc32)
//                    +-----------------------------+
//
// Older versions read the first 568 bytes and ignore the rest; they write the
// file back without the block, which this version then reads as "no block".
// Whatever is wrong with the block (missing, cut short, another tag, a length
// too large, a CRC that does not match) gives every option of the block its
// default; it never touches the 568 bytes in front of it. A block written by
// a newer version may be longer: the fields this version knows are read, the
// rest is skipped (and not written back). docs/settings-file.md has the table.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace mrv {

constexpr std::size_t kExtensionTagLength = 8;
constexpr char kExtensionTag[kExtensionTagLength + 1] = "mrv_ext_";
// Tag + length word in front of the fields, CRC behind them.
constexpr std::size_t kExtensionHeadSize = kExtensionTagLength + 4;
constexpr std::size_t kExtensionCrcSize = 4;
// The longest field area a loader accepts; a longer length word is damage.
constexpr std::size_t kMaxExtensionFieldsSize = 65536;
// The most bytes a loader needs to read behind the 568.
constexpr std::size_t kMaxExtensionBlockSize =
    kExtensionHeadSize + kMaxExtensionFieldsSize + kExtensionCrcSize;

// Modifier bits of the hotkey as the file keeps them; the same values as
// Win32's MOD_ALT, MOD_CONTROL and MOD_SHIFT.
constexpr std::int32_t kHotkeyAlt = 0x1;
constexpr std::int32_t kHotkeyControl = 0x2;
constexpr std::int32_t kHotkeyShift = 0x4;
constexpr std::int32_t kHotkeyModifierMask = kHotkeyAlt | kHotkeyControl | kHotkeyShift;
// The Print Screen key (Win32's VK_SNAPSHOT).
constexpr std::int32_t kVirtualKeyPrintScreen = 0x2C;
// Virtual-key codes are 1-254; 0 stands for "no hotkey".
constexpr std::int32_t kHotkeyNone = 0;
constexpr std::int32_t kMaxVirtualKey = 0xFE;

// The options of the block. Every field has its default here.
struct SettingsExtension {
    std::int32_t hotkeyKey = kVirtualKeyPrintScreen;  // fields 0-3: virtual key, 0 = none
    std::int32_t hotkeyModifiers = 0;                 // fields 4-7: kHotkey* bits

    bool operator==(const SettingsExtension& o) const {
        return hotkeyKey == o.hotkeyKey && hotkeyModifiers == o.hotkeyModifiers;
    }
    bool operator!=(const SettingsExtension& o) const { return !(*this == o); }
};

// Length of the fields this version writes.
constexpr std::size_t kExtensionFieldsSize = 8;

// What the loader made of the bytes behind the 568.
enum class ExtensionStatus {
    kLoaded,   // a whole block with a matching CRC
    kAbsent,   // nothing behind the 568 (an older version wrote the file)
    kForeign,  // something that does not start with the tag
    kShort,    // the tag, but the file ends inside the block
    kTooLong,  // a length word beyond kMaxExtensionFieldsSize
    kBadCrc,   // the CRC does not match the fields
};

// The whole block for `extension`.
[[nodiscard]] std::vector<std::uint8_t> EncodeSettingsExtension(const SettingsExtension& extension);

// Reads the block from the bytes behind the 568 (`size` may be 0). On
// kLoaded the known fields lying wholly inside the block are taken (values
// out of range become their defaults), fields it is too short for keep
// their defaults; on any other status `extension` is all defaults.
ExtensionStatus DecodeSettingsExtension(const std::uint8_t* data, std::size_t size,
                                        SettingsExtension& extension);

// Forces the fields into their ranges: a key outside 0-254 gives the default
// hotkey, unknown modifier bits are dropped, and "no hotkey" has none.
void SanitizeSettingsExtension(SettingsExtension& extension);

}  // namespace mrv
