#include "output/SaveNaming.h"

#include <algorithm>
#include <climits>

namespace mrv {
namespace {

// Probed in this order; a number is used when any of them exists.
constexpr const wchar_t* kProbedExtensions[] = {L"bmp", L"png", L"jpg"};
constexpr std::size_t kExtensionLength = 3;

// More digits than an int's decimal places pad nothing the number could fill
// and would overflow the limit; fewer than none means no padding.
constexpr int kMaxDigits = 9;

int ClampedDigits(int digits) {
    return std::clamp(digits, 0, kMaxDigits);
}

long long NumberLimit(int digits) {
    long long limit = 1;
    for (int k = 0; k < digits; ++k) limit *= 10;
    return limit;
}

std::wstring ZeroPadded(int number, int digits) {
    std::wstring text = std::to_wstring(number);
    if (text.size() < static_cast<std::size_t>(digits))
        text.insert(0, static_cast<std::size_t>(digits) - text.size(), L'0');
    return text;
}

bool IsSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}

}  // namespace

const wchar_t* FamilyExtension(std::uint8_t code) {
    switch (FormatFamily(code)) {
        case kFormatFamilyPng:
            return L"png";
        case kFormatFamilyJpeg:
            return L"jpg";
        default:
            return L"bmp";
    }
}

int FilterIndexForFormat(std::uint8_t code) {
    switch (FormatFamily(code)) {
        case kFormatFamilyPng:
            return kFilterPng;
        case kFormatFamilyJpeg:
            return kFilterJpeg;
        default:
            return kFilterBmp;
    }
}

std::uint8_t DecidedFormatForFamily(std::uint8_t family) {
    switch (FormatFamily(family)) {
        case kFormatFamilyBmp:
            return kFormatFamilyBmp | kVariant24;
        case kFormatFamilyPng:
            return kFormatFamilyPng | kVariant8;
        case kFormatFamilyJpeg:
            return kFormatFamilyJpeg | 0x01;  // standard quality
        default:
            return 0;
    }
}

int JpegQualityForCode(const Settings& settings, std::uint8_t code) {
    switch (JpegLevel(code)) {
        case 0:
            return settings.jpegQualityHigh;
        case 1:
            return settings.jpegQualityStandard;
        case 2:
            return settings.jpegQualityMedium;
        default:
            return settings.jpegQualityLow;
    }
}

SaveNaming::SaveNaming() : settings_(&defaults_) {}

void SaveNaming::BindSettings(Settings& settings) {
    settings_ = &settings;
    if (settings.resetNumberAtStartup != 0) settings.saveNumber = 0;
}

bool SaveNaming::SetSaveFolder(std::wstring_view folder) {
    std::wstring path(folder);
    if (!path.empty() && !IsSeparator(path.back())) path.push_back(L'\\');
    if (!FitsPathBuffer(path)) return false;
    filePath_ = std::move(path);
    RememberPath();
    return true;
}

void SaveNaming::SetFormat(std::uint8_t code, bool exact) {
    Settings& s = *settings_;
    const std::uint8_t family = FormatFamily(code);
    if (exact) {
        s.imageFormat = code;
        if (family == kFormatFamilyBmp) s.bmpVariant = FormatVariant(code);
        if (family == kFormatFamilyPng) s.pngVariant = FormatVariant(code);
        if (family == kFormatFamilyJpeg) s.jpegVariant = JpegLevel(code);
        return;
    }
    if (family == kFormatFamilyNone) return;
    s.imageFormat = FormatForFilter(FilterIndexForFormat(family));
}

std::uint8_t SaveNaming::FormatForFilter(int index) const {
    const Settings& s = *settings_;
    switch (index) {
        case kFilterBmp:
            return kFormatFamilyBmp | FormatVariant(s.bmpVariant);
        case kFilterPng:
            return kFormatFamilyPng | FormatVariant(s.pngVariant);
        case kFilterJpeg:
            return kFormatFamilyJpeg | JpegLevel(s.jpegVariant);
        default:
            return 0;
    }
}

SequentialPath SaveNaming::NextSequentialPath(std::wstring_view baseName,
                                              const FileExists& exists) {
    Settings& s = *settings_;
    const int digits = ClampedDigits(s.numberDigits);
    const long long limit = NumberLimit(digits);
    SequentialPath result;
    for (;;) {
        const int n = std::max(s.saveNumber, 0);
        if (n >= limit) {
            s.saveNumber = 0;
            result.status = NamingStatus::kNumberLimitReached;
            result.messageId = kMessageNumberLimit;
            result.limit = limit;
            return result;
        }
        std::wstring stem = currentFolder_;
        stem.append(baseName);
        stem += ZeroPadded(n, digits);
        stem.push_back(L'.');
        // Every probed name and the target have a three-letter extension, so
        // one check covers them all; the number's width never changes below
        // the limit.
        if (stem.size() + kExtensionLength > kMaxPathLength) {
            result.status = NamingStatus::kPathTooLong;
            result.messageId = kMessageSaveFailed;
            return result;
        }
        if (s.overwriteExisting == 0 && exists) {
            bool used = false;
            for (const wchar_t* ext : kProbedExtensions) {
                if (exists(stem + ext)) {
                    used = true;
                    break;
                }
            }
            if (used) {
                s.saveNumber = n + 1;  // n < limit <= 10^9, no overflow
                continue;
            }
        }
        result.path = stem + FamilyExtension(s.imageFormat);
        filePath_ = result.path;
        RememberPath();
        return result;
    }
}

void SaveNaming::AdvanceSaveNumber() {
    if (settings_->saveNumber < INT_MAX) ++settings_->saveNumber;
}

bool SaveNaming::SetFilePath(std::wstring_view path) {
    if (!FitsPathBuffer(path)) return false;
    filePath_.assign(path);
    return true;
}

void SaveNaming::RememberPath() {
    // Drive and folder run up to the last separator, or up to a drive's
    // colon ("C:name.png") when there is none.
    std::size_t nameStart = 0;
    const std::size_t lastSeparator = filePath_.find_last_of(L"\\/");
    if (lastSeparator != std::wstring::npos)
        nameStart = lastSeparator + 1;
    else if (filePath_.size() >= 2 && filePath_[1] == L':')
        nameStart = 2;
    currentFolder_ = filePath_.substr(0, nameStart);
    lastFileName_ = filePath_.substr(nameStart);
}

}  // namespace mrv
