// The one record of every option, and its fixed-layout file `mrv_setting.bin`.
//
// The record is owned by the capture window; other members keep pointers to
// single fields and read them at every use, so a change made by the settings
// dialog takes effect at once. The in-memory struct is an ordinary C++ struct:
// the file codec (EncodeSettings / DecodeSettings) reads and writes it field by
// field, little-endian, from one table of fields, never by copying the struct
// as bytes. The offsets in the comments are the record offsets used in the
// file (file offset = record offset + 8, behind the version tag).
//
// Text fields hold code page 932 bytes, NUL-terminated inside their widths.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/Geometry.h"
#include "settings/SettingsExtension.h"

namespace mrv {

// Length of the text version tag at the head of the file (no NUL in the file).
constexpr std::size_t kVersionTagLength = 8;
// The tag this build writes and accepts.
constexpr char kSettingsVersionTag[kVersionTagLength + 1] = "ver_0_87";
// Size of the record proper and of the whole file (tag + record).
constexpr std::size_t kSettingsRecordSize = 560;
constexpr std::size_t kSettingsFileSize = kVersionTagLength + kSettingsRecordSize;  // 568
constexpr char kSettingsFileName[] = "mrv_setting.bin";

constexpr int kToolButtonCount = 20;
constexpr std::size_t kBaseNameSize = 101;    // 100 characters + NUL
constexpr std::size_t kSaveFolderSize = 260;  // 258 characters + "\" + NUL

// Image format code bits (imageFormat and the three variant bytes).
constexpr std::uint8_t kFormatFamilyMask = 0x30;
constexpr std::uint8_t kFormatFamilyNone = 0x00;  // decided from the file name at each save
constexpr std::uint8_t kFormatFamilyBmp = 0x10;
constexpr std::uint8_t kFormatFamilyPng = 0x20;
constexpr std::uint8_t kFormatFamilyJpeg = 0x30;
constexpr std::uint8_t kColourVariantMask = 0x0C;
constexpr std::uint8_t kVariant24 = 0x00;
constexpr std::uint8_t kVariant565 = 0x04;
constexpr std::uint8_t kVariant555 = 0x08;
constexpr std::uint8_t kVariant8 = 0x0C;
constexpr std::uint8_t kJpegLevelMask = 0x03;  // 0 high, 1 standard, 2 medium, 3 low

// Tool panel placement relative to the selection (toolPanelCorner).
constexpr int kCornerAboveLeft = 1;
constexpr int kCornerAboveRight = 2;
constexpr int kCornerBelowLeft = 3;
constexpr int kCornerBelowRight = 4;

struct Settings {
    // Group 1, record offsets 0-35.
    std::int32_t zoomSnapToCorner = 0;         // 0   bool
    std::int32_t zoomVisible = 1;              // 4   bool
    std::int32_t toolPanelVisible = 1;         // 8   bool
    std::int32_t dragThreshold = 3;            // 12  pixels
    std::int32_t gridSize = 8;                 // 16  pixels
    std::int32_t drawShadow = 1;               // 20  bool
    std::int32_t minimizeAfterCopy = 1;        // 24  bool
    std::int32_t autoSelectOnDoubleClick = 1;  // 28  bool
    std::int32_t inTaskTray = 0;               // 32  bool

    // Group 2, offsets 36-63. The colours are not in the settings dialog; they
    // are used and written back as stored.
    std::int32_t frameWidth = 2;             // 36  pixels
    std::int32_t handleReach = 24;           // 40  pixels
    std::int32_t edgeBand = 12;              // 44  pixels
    Colour frameForeColor = 0x000000;        // 48  0x00BBGGRR
    Colour frameBackColor = 0xFFFFFF;        // 52
    Colour pinnedFrameForeColor = 0x6666FF;  // 56
    Colour pinnedFrameBackColor = 0xFFFFFF;  // 60

    // Group 3, offsets 64-79: JPEG quality value (0-100) of each level.
    std::int32_t jpegQualityHigh = 80;      // 64
    std::int32_t jpegQualityStandard = 60;  // 68
    std::int32_t jpegQualityMedium = 40;    // 72
    std::int32_t jpegQualityLow = 20;       // 76

    // Group 4, offsets 80-87.
    std::int32_t zoomRadius = 12;  // 80  the pane shows 2 * zoomRadius + 1 pixels a side
    std::int32_t zoomFactor = 3;   // 84

    // Group 5, offsets 88-91.
    std::int32_t messageTicks = 4;  // 88  frame ticks a message label stays

    // Group 6, offsets 92-475.
    std::int32_t saveNumber = 0;            // 92
    std::int32_t numberDigits = 4;          // 96
    std::int32_t overwriteExisting = 0;     // 100 bool
    std::int32_t resetNumberAtStartup = 1;  // 104 bool
    char baseName[kBaseNameSize] = "img";   // 108 CP932, NUL-terminated
    char saveFolder[kSaveFolderSize] = {};  // 209 CP932, ends with "\", NUL-terminated
    std::uint8_t imageFormat = 0x10;        // 469 family | variant
    std::uint8_t bmpVariant = 0x00;         // 470 bits 2-3
    std::uint8_t pngVariant = 0x0C;         // 471 bits 2-3
    std::uint8_t jpegVariant = 0x01;        // 472 bits 0-1
    std::uint8_t padding[3] = {};           // 473 no meaning; kept as read

    // Group 7, offsets 476-559.
    std::int32_t toolButtons[kToolButtonCount] = {1, 0, 0, 1, 0, 0, 1, 0, 0, 0,
                                                  0, 1, 0, 1, 0, 0, 0, 0, 1, 1};  // 476 bools
    std::int32_t toolPanelCorner = kCornerBelowLeft;                              // 556 1-4

    // Not part of the 560 bytes: the options of the block behind them.
    SettingsExtension extension;
};

// Every field to its default; `exeDirectory` (CP932 bytes, ending with a
// separator) becomes saveFolder, cut to fit if it is too long. The padding is
// left as it is. The extension block's options get their defaults too.
void ResetSettings(Settings& settings, const std::string& exeDirectory);

// The 568-byte file image: tag then the record.
[[nodiscard]] std::vector<std::uint8_t> EncodeSettings(const Settings& settings);

// Reads a file image. Returns 1 when the tag matched and the whole record was
// present (bytes after the 568th are ignored), else 0; on 0 the record is left
// as it was (the caller then resets it). Loaded values are made safe: numbers
// clamped to their ranges, booleans 0 or 1, format bytes masked to their
// meaningful bits, texts NUL-terminated inside their widths. Colours and the
// padding are kept exactly as read.
[[nodiscard]] int DecodeSettings(const std::uint8_t* data, std::size_t size, Settings& settings);

// Forces every field into its range and terminates the texts (what
// DecodeSettings applies after loading).
void SanitizeSettings(Settings& settings);

// Path = directory (ending with a separator) + kSettingsFileName. Paths given
// to the file functions are UTF-8.
[[nodiscard]] std::string SettingsFilePath(const std::string& exeDirectory);

// The whole file: the 568 bytes, then the extension block.
[[nodiscard]] std::vector<std::uint8_t> EncodeSettingsFile(const Settings& settings);

// Reads a whole file: the 568 bytes as DecodeSettings (same result), then,
// when they were taken, the extension block behind them, whose status goes
// to `status` if given. A block that cannot be used leaves the 568 bytes'
// fields as loaded and gives the block's options their defaults. On 0 the
// record, extension included, is untouched.
[[nodiscard]] int DecodeSettingsFile(const std::uint8_t* data, std::size_t size, Settings& settings,
                                     ExtensionStatus* status = nullptr);

// Reads `path` (UTF-8); same result as DecodeSettingsFile, 0 when the file
// cannot be opened. On 0 the record is untouched.
[[nodiscard]] int LoadSettingsFile(const std::string& path, Settings& settings);

// Writes the whole file (the 568 bytes and the extension block together) so
// that a crash or full disk during the write never loses the previous
// settings: a temporary file beside it is written, flushed and then swapped
// in one step. Returns 1 when the new file is in place, else 0 (the old file
// is then untouched).
[[nodiscard]] int SaveSettingsFile(const std::string& path, const Settings& settings);

}  // namespace mrv
