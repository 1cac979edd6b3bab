#include "settings/SettingsExtension.h"

#include <zlib.h>

#include <cstring>

#include "settings/Settings.h"

namespace mrv {
namespace {

// The block's fields by their offset inside the field area. A newer version
// only ever appends, so a field keeps its offset for good.
struct ExtensionField {
    std::size_t offset;
    std::int32_t SettingsExtension::*member;
};
constexpr ExtensionField kExtensionFieldTable[] = {
    {0, &SettingsExtension::hotkeyKey},
    {4, &SettingsExtension::hotkeyModifiers},
};
static_assert(sizeof kExtensionFieldTable / sizeof kExtensionFieldTable[0] * 4 ==
                  kExtensionFieldsSize,
              "every field of the block is in the table");

std::uint32_t GetLe32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

void AppendLe32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

std::uint32_t FieldsCrc(const std::uint8_t* fields, std::size_t size) {
    // The area is at most kMaxExtensionFieldsSize bytes: one call suffices.
    return static_cast<std::uint32_t>(crc32(crc32(0L, Z_NULL, 0), fields, static_cast<uInt>(size)));
}

}  // namespace

void SanitizeSettingsExtension(SettingsExtension& extension) {
    if (extension.hotkeyKey < kHotkeyNone || extension.hotkeyKey > kMaxVirtualKey) {
        extension.hotkeyKey = SettingsExtension{}.hotkeyKey;
        extension.hotkeyModifiers = SettingsExtension{}.hotkeyModifiers;
    }
    extension.hotkeyModifiers &= kHotkeyModifierMask;
    if (extension.hotkeyKey == kHotkeyNone) extension.hotkeyModifiers = 0;
}

std::vector<std::uint8_t> EncodeSettingsExtension(const SettingsExtension& extension) {
    std::vector<std::uint8_t> out(kExtensionTag, kExtensionTag + kExtensionTagLength);
    AppendLe32(out, kExtensionFieldsSize);
    for (const ExtensionField& f : kExtensionFieldTable)
        AppendLe32(out, static_cast<std::uint32_t>(extension.*f.member));
    AppendLe32(out, FieldsCrc(out.data() + kExtensionHeadSize, kExtensionFieldsSize));
    return out;
}

ExtensionStatus DecodeSettingsExtension(const std::uint8_t* data, std::size_t size,
                                        SettingsExtension& extension) {
    extension = SettingsExtension{};
    if (data == nullptr || size == 0) return ExtensionStatus::kAbsent;
    // A stump of the tag cannot be told from anything else.
    if (size < kExtensionTagLength || std::memcmp(data, kExtensionTag, kExtensionTagLength) != 0) {
        return ExtensionStatus::kForeign;
    }
    if (size < kExtensionHeadSize) return ExtensionStatus::kShort;
    const std::uint32_t length = GetLe32(data + kExtensionTagLength);
    if (length > kMaxExtensionFieldsSize) return ExtensionStatus::kTooLong;
    if (size - kExtensionHeadSize < length + kExtensionCrcSize) return ExtensionStatus::kShort;
    const std::uint8_t* fields = data + kExtensionHeadSize;
    if (GetLe32(fields + length) != FieldsCrc(fields, length)) return ExtensionStatus::kBadCrc;
    for (const ExtensionField& f : kExtensionFieldTable) {
        if (f.offset + 4 > length) break;  // an older, shorter block
        const std::uint32_t v = GetLe32(fields + f.offset);
        // Two's complement without an implementation-defined cast.
        extension.*f.member =
            v <= 0x7FFFFFFFu ? static_cast<std::int32_t>(v) : -static_cast<std::int32_t>(~v) - 1;
    }
    SanitizeSettingsExtension(extension);
    return ExtensionStatus::kLoaded;
}

std::vector<std::uint8_t> EncodeSettingsFile(const Settings& settings) {
    std::vector<std::uint8_t> out = EncodeSettings(settings);
    const std::vector<std::uint8_t> block = EncodeSettingsExtension(settings.extension);
    out.insert(out.end(), block.begin(), block.end());
    return out;
}

int DecodeSettingsFile(const std::uint8_t* data, std::size_t size, Settings& settings,
                       ExtensionStatus* status) {
    Settings loaded = settings;
    if (DecodeSettings(data, size, loaded) != 1) return 0;
    const ExtensionStatus found = DecodeSettingsExtension(
        data + kSettingsFileSize, size - kSettingsFileSize, loaded.extension);
    if (status != nullptr) *status = found;
    settings = loaded;
    return 1;
}

}  // namespace mrv
