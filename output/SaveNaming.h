// Where a saved image goes and in which format: the format code rules, the
// sequential file names, the remembered folder and last file, and the rule
// that a path longer than the 260-character path buffers is refused, never
// cut or overrun.
//
// Paths are wide strings (UTF-16 on Windows) with "\" separators, as they
// reach the W file functions and the Save As dialog. The record keeps the base
// name as code page 932 bytes; the Win32 half converts it and hands it in.
// Files are never touched here: the save folder is listed through an injected
// function.
//
// A sequential name is
//
//     currentFolder + baseName + number zero-padded to numberDigits + "." + ext
//     C:\shots\       img        0042                                   bmp
//
// and a number counts as used when a .bmp, .png or .jpg file carries it,
// whatever the current format. The used numbers come from one listing of
// the folder (currentFolder + baseName + "*.*"), never from one look per
// number: with 8 digits that could be 10^8 looks. A base name that could not
// start a file name (FileNameCheck.h) builds no path at all, so a sequential
// save always lands in the current folder itself.
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

// The reason message 3 gives for a path that does not fit the buffers.
constexpr wchar_t kPathTooLongReason[] =
    L"パスが長すぎます．保存先のパスは 259 文字以内でなければなりません．";

// Message 3 as shown: its sentence, then on lines of their own the file that
// could not be written and why (each left out when empty).
[[nodiscard]] std::wstring SaveFailedText(std::wstring_view sentence, std::wstring_view path,
                                          std::wstring_view reason);

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
    kPathTooLong,         // message 3 with `reason`; nothing changed
    kUnusableBaseName,    // message 3 with `reason`; nothing changed
    kListingFailed,       // message 3 with the system's text for `error`; nothing changed
};

struct SequentialPath {
    NamingStatus status = NamingStatus::kOk;
    // The full target path; after a message-3 failure, the name that could
    // not be written.
    std::wstring path;
    int messageId = 0;        // string-table message to show, 0 when kOk
    long long limit = 0;      // 10 ^ digits, the %d of message 4
    std::wstring reason;      // why, for kPathTooLong and kUnusableBaseName
    std::uint32_t error = 0;  // the listing's system error code, for kListingFailed
};

// Lists the save folder: hands the name (without folder) of every file that
// matches `pattern` ("C:\shots\img*.*", matched as the file system does,
// ignoring case) to `each`, and returns 0, also when nothing matched, or the
// system's error code when the folder could not be listed.
using NameVisitor = std::function<void(std::wstring_view name)>;
using ListFolder =
    std::function<std::uint32_t(const std::wstring& pattern, const NameVisitor& each)>;

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
    // on; at the limit saveNumber goes back to 0 and message 4 is due. A
    // number whose name is a device name ("COM1.bmp") is skipped, overwriting
    // or not. A base name that cannot start a file name, a name that would
    // not fit a path buffer, or a folder that cannot be listed is refused
    // with message 3, and saveNumber is left as it was. On success the path
    // is also the file path and its name the last file name; the current
    // folder stays.
    [[nodiscard]] SequentialPath NextSequentialPath(std::wstring_view baseName,
                                                    const ListFolder& list);

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
