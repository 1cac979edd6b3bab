// Where a saved image goes and in which format: the format code rules, the
// sequential file names, the remembered folder and last file, and the rule
// that a path longer than the 260-character path buffers is refused, never
// cut or overrun.
//
// Paths are wide strings (UTF-16 on Windows) with "\" separators, as they
// reach the W file functions and the Save As dialog. The record keeps the base
// name as code page 932 bytes; the Win32 half converts it and hands it in.
// Files are never touched here: whether a name is taken is asked through an
// injected predicate.
//
// A sequential name is
//
//     currentFolder + baseName + number zero-padded to numberDigits + "." + ext
//     C:\shots\       img        0042                                   bmp
//
// and a number counts as used when a .bmp, .png or .jpg file carries it,
// whatever the current format.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "settings/Settings.h"

namespace mrv {

// The Win32 path buffers hold 260 characters with the terminating NUL.
constexpr std::size_t kPathBufferSize = 260;
constexpr std::size_t kMaxPathLength = kPathBufferSize - 1;

// String-table messages the naming reports.
constexpr int kMessageSaveFailed = 3;   // "イメージの保存に失敗しました．"
constexpr int kMessageNumberLimit = 4;  // number reached %d, reset to 0, save again

// Save As filter indices (1-based, as the dialog counts them).
constexpr int kFilterBmp = 1;
constexpr int kFilterPng = 2;
constexpr int kFilterJpeg = 3;
constexpr int kFilterAll = 4;

constexpr std::uint8_t FormatFamily(std::uint8_t code) {
    return code & kFormatFamilyMask;
}
constexpr std::uint8_t FormatVariant(std::uint8_t code) {
    return code & kColourVariantMask;
}
constexpr std::uint8_t JpegLevel(std::uint8_t code) {
    return code & kJpegLevelMask;
}

// "bmp" for BMP and for no family (the file name decides, BMP by default),
// "png", "jpg".
const wchar_t* FamilyExtension(std::uint8_t code);

// The filter Save As opens with: PNG and JPEG their own, anything else BMP.
int FilterIndexForFormat(std::uint8_t code);

// The code used for one write when the format is decided from the file name:
// a BMP name gives 24-bit BMP, a PNG name 8-bit PNG, a JPEG name standard
// JPEG. 0 for any other family (the save fails).
std::uint8_t DecidedFormatForFamily(std::uint8_t family);

// Quality value (0-100) of a JPEG code's level.
int JpegQualityForCode(const Settings& settings, std::uint8_t code);

// Whether a path fits the path buffers with its NUL.
constexpr bool FitsPathBuffer(std::wstring_view path) {
    return path.size() <= kMaxPathLength;
}

enum class NamingStatus {
    kOk,
    kNumberLimitReached,  // message 4 with the limit; saveNumber is back at 0
    kPathTooLong,         // message 3; nothing changed
};

struct SequentialPath {
    NamingStatus status = NamingStatus::kOk;
    std::wstring path;    // the full target path when kOk
    int messageId = 0;    // string-table message to show, 0 when kOk
    long long limit = 0;  // 10 ^ digits, the %d of message 4
};

// Whether a file exists at a path (the Win32 half opens it for reading).
using FileExists = std::function<bool(const std::wstring& path)>;

class SaveNaming {
public:
    SaveNaming();
    SaveNaming(const SaveNaming&) = delete;
    SaveNaming& operator=(const SaveNaming&) = delete;

    // Reads and writes saveNumber, numberDigits, overwriteExisting,
    // imageFormat and the variant bytes of `settings` from now on (it must
    // outlive this object), and sets saveNumber to 0 when
    // resetNumberAtStartup is on, as every attaching of the settings does.
    // Until then a record of defaults is used.
    void BindSettings(Settings& settings);

    // The save folder becomes the current folder and the file path, and the
    // last file name is emptied. A "\" is added when the folder lacks one.
    // Refused (false, nothing changed) when it would not fit a path buffer.
    [[nodiscard]] bool SetSaveFolder(std::wstring_view folder);

    // With `exact`, the code becomes the current format and its variant is
    // remembered for its family. Without, only the family counts: the current
    // format becomes that family with its remembered variant; a code without
    // a family changes nothing.
    void SetFormat(std::uint8_t code, bool exact);
    // The format a Save As filter stands for: BMP, PNG and JPEG with their
    // remembered variants, 0 for "All Files" or anything else.
    std::uint8_t FormatForFilter(int index) const;
    std::uint8_t CurrentFormat() const { return settings_->imageFormat; }

    // The next free sequential target, given the base name as text. Used
    // numbers are skipped (saveNumber moves past them) unless overwriting is
    // on; at the limit saveNumber goes back to 0 and message 4 is due. A name
    // that would not fit a path buffer is refused with message 3 and
    // saveNumber is left as it was. On success the path is also the file path
    // and is remembered (current folder and last file name).
    [[nodiscard]] SequentialPath NextSequentialPath(std::wstring_view baseName,
                                                    const FileExists& exists);

    // After a sequential save was written: the next save tries the following
    // number.
    void AdvanceSaveNumber();

    // Sets the file path (the Save As result). Refused when it would not fit.
    [[nodiscard]] bool SetFilePath(std::wstring_view path);
    // Splits the file path: its drive and folder become the current folder,
    // its name and extension the last file name.
    void RememberPath();

    const std::wstring& CurrentFolder() const { return currentFolder_; }
    const std::wstring& LastFileName() const { return lastFileName_; }
    const std::wstring& FilePath() const { return filePath_; }

private:
    Settings defaults_;
    Settings* settings_;
    std::wstring currentFolder_;
    std::wstring lastFileName_;
    std::wstring filePath_;
};

}  // namespace mrv
