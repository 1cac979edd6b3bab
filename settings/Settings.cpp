#include "settings/Settings.h"

#include <cstring>
#include <string_view>

#include "settings/FileNameCheck.h"

namespace mrv {
namespace {

enum class Kind {
    kInt,     // 32-bit signed, clamped to [minValue, maxValue]
    kBool,    // 32-bit, any non-zero value is true; loaded as 0 or 1
    kColour,  // 32-bit COLORREF, kept exactly as read
    kByte,    // one byte, masked with maxValue (the format code bits)
    kText,    // CP932 text of `size` bytes, NUL-terminated inside its width
    kRaw,     // padding, kept exactly as read
};

// Where a field lives in the struct. Exactly one pointer is set.
struct FieldRef {
    std::int32_t* integer = nullptr;
    Colour* colour = nullptr;
    std::uint8_t* byte = nullptr;
    char* text = nullptr;
    std::uint8_t* raw = nullptr;
};

constexpr FieldRef Ref(std::int32_t& v) {
    FieldRef r;
    r.integer = &v;
    return r;
}
constexpr FieldRef Ref(Colour& v) {
    FieldRef r;
    r.colour = &v;
    return r;
}
constexpr FieldRef Ref(std::uint8_t& v) {
    FieldRef r;
    r.byte = &v;
    return r;
}
template <std::size_t N>
constexpr FieldRef Ref(char (&v)[N]) {
    FieldRef r;
    r.text = v;
    return r;
}
template <std::size_t N>
constexpr FieldRef Ref(std::uint8_t (&v)[N]) {
    FieldRef r;
    r.raw = v;
    return r;
}

struct Field {
    std::size_t offset;  // record offset; the file offset is 8 more
    std::size_t size;
    Kind kind;
    std::int32_t defaultValue;
    std::int32_t minValue;
    std::int32_t maxValue;
    const char* defaultText;  // kText only
    FieldRef (*ref)(Settings&);
};

#define MRV_REF(member) [](Settings& s) { return Ref(s.member); }
// clang-format off
#define MRV_BOOL(off, member, def)        {off, 4, Kind::kBool, def, 0, 1, nullptr, MRV_REF(member)}
#define MRV_INT(off, member, def, lo, hi) {off, 4, Kind::kInt, def, lo, hi, nullptr, MRV_REF(member)}
#define MRV_COLOUR(off, member, def)      {off, 4, Kind::kColour, def, 0, 0, nullptr, MRV_REF(member)}
#define MRV_BYTE(off, member, def, mask)  {off, 1, Kind::kByte, def, 0, mask, nullptr, MRV_REF(member)}
// clang-format on
#define MRV_TOOL(i, def) MRV_BOOL(476 + 4 * (i), toolButtons[i], def)

// Largest stored sequential number: 10^8, the limit for 8 digits (the number
// itself may equal 10^digits; the next save then reports the limit).
constexpr std::int32_t kMaxSaveNumber = 100000000;

// Every field of the record, in record (and file) order. Ranges:
// - fields edited in the settings dialog use the dialog's bounds: JPEG
//   qualities 0-100, gridSize 2-100, zoomRadius 1-49 (widths 3-99),
//   zoomFactor 1-8, numberDigits 1-8, saveNumber 0-10^numberDigits (the digit
//   bound is applied after the table, in SanitizeSettings), toolPanelCorner 1-4;
// - fields the dialog does not show get small sane ranges around their
//   defaults, wide enough for any sensible hand edit but small enough that no
//   later arithmetic overflows and no bitmap becomes giant:
//     dragThreshold 0-64   (0 = any motion starts a drag)
//     frameWidth    1-32   (the ring must exist for the pinned window's region)
//     handleReach   0-256
//     edgeBand      0-256  (reach + band stays far below any int limit)
//     messageTicks  1-240  (a quarter second to a minute at 4 ticks a second);
// - the format bytes are masked to the bits that carry meaning, so a variant
//   byte can index a table of four; PNG has no 16-bit variants, so a PNG
//   variant of 0x04 or 0x08 becomes 8 bits (0x0C), in pngVariant and in a PNG
//   imageFormat (after the table, in SanitizeSettings);
// - a base name that cannot start a file name (FileNameCheck.h) becomes
//   "img", the default;
// - colours and padding are kept exactly as read.
constexpr Field kFields[] = {
    // Group 1
    MRV_BOOL(0, zoomSnapToCorner, 0),
    MRV_BOOL(4, zoomVisible, 1),
    MRV_BOOL(8, toolPanelVisible, 1),
    MRV_INT(12, dragThreshold, 3, 0, 64),
    MRV_INT(16, gridSize, 8, 2, 100),
    MRV_BOOL(20, drawShadow, 1),
    MRV_BOOL(24, minimizeAfterCopy, 1),
    MRV_BOOL(28, autoSelectOnDoubleClick, 1),
    MRV_BOOL(32, inTaskTray, 0),
    // Group 2
    MRV_INT(36, frameWidth, 2, 1, 32),
    MRV_INT(40, handleReach, 24, 0, 256),
    MRV_INT(44, edgeBand, 12, 0, 256),
    MRV_COLOUR(48, frameForeColor, 0x000000),
    MRV_COLOUR(52, frameBackColor, 0xFFFFFF),
    MRV_COLOUR(56, pinnedFrameForeColor, 0x6666FF),
    MRV_COLOUR(60, pinnedFrameBackColor, 0xFFFFFF),
    // Group 3
    MRV_INT(64, jpegQualityHigh, 80, 0, 100),
    MRV_INT(68, jpegQualityStandard, 60, 0, 100),
    MRV_INT(72, jpegQualityMedium, 40, 0, 100),
    MRV_INT(76, jpegQualityLow, 20, 0, 100),
    // Group 4
    MRV_INT(80, zoomRadius, 12, 1, 49),
    MRV_INT(84, zoomFactor, 3, 1, 8),
    // Group 5
    MRV_INT(88, messageTicks, 4, 1, 240),
    // Group 6
    MRV_INT(92, saveNumber, 0, 0, kMaxSaveNumber),
    MRV_INT(96, numberDigits, 4, 1, 8),
    MRV_BOOL(100, overwriteExisting, 0),
    MRV_BOOL(104, resetNumberAtStartup, 1),
    Field{108, kBaseNameSize, Kind::kText, 0, 0, 0, "img", MRV_REF(baseName)},
    // The default save folder is the executable's directory, given to ResetSettings.
    Field{209, kSaveFolderSize, Kind::kText, 0, 0, 0, "", MRV_REF(saveFolder)},
    MRV_BYTE(469, imageFormat, 0x10, kFormatFamilyMask | kColourVariantMask | kJpegLevelMask),
    MRV_BYTE(470, bmpVariant, 0x00, kColourVariantMask),
    MRV_BYTE(471, pngVariant, 0x0C, kColourVariantMask),
    MRV_BYTE(472, jpegVariant, 0x01, kJpegLevelMask),
    Field{473, 3, Kind::kRaw, 0, 0, 0, nullptr, MRV_REF(padding)},
    // Group 7
    // clang-format off
    MRV_TOOL(0, 1),  MRV_TOOL(1, 0),  MRV_TOOL(2, 0),  MRV_TOOL(3, 1),  MRV_TOOL(4, 0),
    MRV_TOOL(5, 0),  MRV_TOOL(6, 1),  MRV_TOOL(7, 0),  MRV_TOOL(8, 0),  MRV_TOOL(9, 0),
    MRV_TOOL(10, 0), MRV_TOOL(11, 1), MRV_TOOL(12, 0), MRV_TOOL(13, 1), MRV_TOOL(14, 0),
    MRV_TOOL(15, 0), MRV_TOOL(16, 0), MRV_TOOL(17, 0), MRV_TOOL(18, 1), MRV_TOOL(19, 1),
    // clang-format on
    MRV_INT(556, toolPanelCorner, kCornerBelowLeft, kCornerAboveLeft, kCornerBelowRight),
};

#undef MRV_TOOL
#undef MRV_BYTE
#undef MRV_COLOUR
#undef MRV_INT
#undef MRV_BOOL
#undef MRV_REF

// The table must tile the record exactly: no gap, no overlap, 560 bytes.
constexpr bool TableTilesRecord() {
    std::size_t next = 0;
    for (const Field& f : kFields) {
        if (f.offset != next) return false;
        bool word = f.kind == Kind::kInt || f.kind == Kind::kBool || f.kind == Kind::kColour;
        if (word && f.size != 4) return false;
        if (f.kind == Kind::kByte && f.size != 1) return false;
        next += f.size;
    }
    return next == kSettingsRecordSize;
}
static_assert(TableTilesRecord(), "settings field table does not tile the record");

std::uint32_t ReadLe32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

void WriteLe32(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
    p[2] = static_cast<std::uint8_t>(v >> 16);
    p[3] = static_cast<std::uint8_t>(v >> 24);
}

std::int32_t ToSigned(std::uint32_t v) {
    // Two's complement reinterpretation without relying on implementation-defined casts.
    return v <= 0x7FFFFFFFu ? static_cast<std::int32_t>(v) : -static_cast<std::int32_t>(~v) - 1;
}

std::int32_t Clamp(std::int32_t v, std::int32_t lo, std::int32_t hi) {
    return v < lo ? lo : (v > hi ? hi : v);
}

// Terminates a text inside its width; bytes after an existing NUL are kept so
// that they round-trip.
void TerminateText(char* text, std::size_t size) {
    if (std::memchr(text, '\0', size) == nullptr) text[size - 1] = '\0';
}

void CopyText(char* dest, std::size_t size, const char* src) {
    std::size_t n = std::strlen(src);
    if (n >= size) n = size - 1;
    std::memcpy(dest, src, n);
    std::memset(dest + n, 0, size - n);
}

// PNG is written at 24 bits or with a palette; the two 16-bit variants of
// BMP have no PNG form.
std::uint8_t FixPngVariant(std::uint8_t variant) {
    return variant == kVariant565 || variant == kVariant555 ? kVariant8 : variant;
}

std::int32_t PowerOfTen(std::int32_t digits) {
    std::int32_t v = 1;
    for (std::int32_t i = 0; i < digits; ++i) v *= 10;
    return v;
}

}  // namespace

void ResetSettings(Settings& settings, const std::string& exeDirectory) {
    for (const Field& f : kFields) {
        FieldRef r = f.ref(settings);
        switch (f.kind) {
            case Kind::kInt:
            case Kind::kBool:
                *r.integer = f.defaultValue;
                break;
            case Kind::kColour:
                *r.colour = static_cast<Colour>(f.defaultValue);
                break;
            case Kind::kByte:
                *r.byte = static_cast<std::uint8_t>(f.defaultValue);
                break;
            case Kind::kText:
                CopyText(r.text, f.size, f.defaultText);
                break;
            case Kind::kRaw:
                break;  // the padding keeps whatever it held
        }
    }
    // A directory too long for the field is cut; a cut path names no folder,
    // which the save-folder check at attach time then reports.
    CopyText(settings.saveFolder, kSaveFolderSize, exeDirectory.c_str());
}

void SanitizeSettings(Settings& settings) {
    for (const Field& f : kFields) {
        FieldRef r = f.ref(settings);
        switch (f.kind) {
            case Kind::kInt:
                *r.integer = Clamp(*r.integer, f.minValue, f.maxValue);
                break;
            case Kind::kBool:
                *r.integer = *r.integer != 0 ? 1 : 0;
                break;
            case Kind::kByte:
                *r.byte = static_cast<std::uint8_t>(*r.byte & f.maxValue);
                break;
            case Kind::kText:
                TerminateText(r.text, f.size);
                break;
            case Kind::kColour:
            case Kind::kRaw:
                break;
        }
    }
    settings.saveNumber = Clamp(settings.saveNumber, 0, PowerOfTen(settings.numberDigits));

    settings.pngVariant = FixPngVariant(settings.pngVariant);
    if ((settings.imageFormat & kFormatFamilyMask) == kFormatFamilyPng) {
        const auto variant = static_cast<std::uint8_t>(settings.imageFormat & kColourVariantMask);
        settings.imageFormat = static_cast<std::uint8_t>(
            (settings.imageFormat & ~kColourVariantMask) | FixPngVariant(variant));
    }
    const std::string_view name(settings.baseName, std::strlen(settings.baseName));
    if (!CheckBaseName(Cp932AsNameCharacters(name)).Accepted())
        CopyText(settings.baseName, kBaseNameSize, "img");
}

std::vector<std::uint8_t> EncodeSettings(const Settings& settings) {
    std::vector<std::uint8_t> out(kSettingsFileSize, 0);
    std::memcpy(out.data(), kSettingsVersionTag, kVersionTagLength);
    Settings copy = settings;  // the table's references are to a mutable record
    for (const Field& f : kFields) {
        std::uint8_t* p = out.data() + kVersionTagLength + f.offset;
        FieldRef r = f.ref(copy);
        switch (f.kind) {
            case Kind::kInt:
            case Kind::kBool:
                WriteLe32(p, static_cast<std::uint32_t>(*r.integer));
                break;
            case Kind::kColour:
                WriteLe32(p, *r.colour);
                break;
            case Kind::kByte:
                *p = *r.byte;
                break;
            case Kind::kText:
                std::memcpy(p, r.text, f.size);
                break;
            case Kind::kRaw:
                std::memcpy(p, r.raw, f.size);
                break;
        }
    }
    return out;
}

int DecodeSettings(const std::uint8_t* data, std::size_t size, Settings& settings) {
    if (data == nullptr || size < kSettingsFileSize) return 0;
    if (std::memcmp(data, kSettingsVersionTag, kVersionTagLength) != 0) return 0;
    // Decoded into a copy, so a rejected file leaves the record as it was.
    Settings loaded = settings;
    for (const Field& f : kFields) {
        const std::uint8_t* p = data + kVersionTagLength + f.offset;
        FieldRef r = f.ref(loaded);
        switch (f.kind) {
            case Kind::kInt:
            case Kind::kBool:
                *r.integer = ToSigned(ReadLe32(p));
                break;
            case Kind::kColour:
                *r.colour = ReadLe32(p);
                break;
            case Kind::kByte:
                *r.byte = *p;
                break;
            case Kind::kText:
                std::memcpy(r.text, p, f.size);
                break;
            case Kind::kRaw:
                std::memcpy(r.raw, p, f.size);
                break;
        }
    }
    SanitizeSettings(loaded);
    settings = loaded;
    return 1;
}

}  // namespace mrv
