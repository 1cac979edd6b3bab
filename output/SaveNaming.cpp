#include "output/SaveNaming.h"

#include <algorithm>
#include <climits>
#include <vector>

#include "settings/FileNameCheck.h"

namespace mrv {
namespace {

// A number is used when a file of any of these carries it.
constexpr const wchar_t* kUsedExtensions[] = {L"bmp", L"png", L"jpg"};
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

bool SameExtension(std::wstring_view a, const wchar_t* b) {
    for (std::size_t i = 0; i < a.size(); ++i, ++b) {
        const wchar_t c = a[i] >= L'A' && a[i] <= L'Z' ? a[i] - L'A' + L'a' : a[i];
        if (*b == L'\0' || c != *b) return false;
    }
    return *b == L'\0';
}

// The number a listed name carries: base name, the number exactly as a save
// with `digits` would write it, ".bmp", ".png" or ".jpg" (any case). -1 for
// any other name. The listing matched the base name already, as the file
// system compares names (ignoring case, also beyond ASCII), so its first
// `baseLength` characters are not compared again. A name the listing found
// through its short 8.3 form may then read as a number it does not carry:
// that number is skipped, never a used one taken.
int NumberInName(std::wstring_view name, std::size_t baseLength, int digits) {
    if (name.size() < baseLength + 1 + 1 + kExtensionLength) return -1;
    const std::size_t dot = name.size() - kExtensionLength - 1;
    if (name[dot] != L'.') return -1;
    const std::wstring_view extension = name.substr(dot + 1);
    if (std::none_of(std::begin(kUsedExtensions), std::end(kUsedExtensions),
                     [&](const wchar_t* e) { return SameExtension(extension, e); }))
        return -1;
    const std::wstring_view number = name.substr(baseLength, dot - baseLength);
    if (number.size() > static_cast<std::size_t>(kMaxDigits)) return -1;
    int value = 0;
    for (wchar_t c : number) {
        if (c < L'0' || c > L'9') return -1;
        value = value * 10 + (c - L'0');
    }
    return ZeroPadded(value, digits) == number ? value : -1;
}

}  // namespace

std::wstring SaveFailedText(std::wstring_view sentence, std::wstring_view path,
                            std::wstring_view reason) {
    std::wstring text(sentence);
    for (std::wstring_view line : {path, reason}) {
        if (line.empty()) continue;
        text.push_back(L'\n');
        text.append(line);
    }
    return text;
}

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

SequentialPath SaveNaming::NextSequentialPath(std::wstring_view baseName, const ListFolder& list) {
    Settings& s = *settings_;
    const int digits = ClampedDigits(s.numberDigits);
    const long long limit = NumberLimit(digits);
    const std::wstring extension = FamilyExtension(s.imageFormat);
    const auto fileName = [&](int number) {
        return std::wstring(baseName) + ZeroPadded(number, digits) + L'.' + extension;
    };
    SequentialPath result;
    const auto limitReached = [&] {
        s.saveNumber = 0;
        result.path.clear();
        result.status = NamingStatus::kNumberLimitReached;
        result.messageId = kMessageNumberLimit;
        result.limit = limit;
        return result;
    };
    int n = std::max(s.saveNumber, 0);

    const BaseNameCheck check = CheckBaseName(baseName);
    if (!check.Accepted()) {
        result.status = NamingStatus::kUnusableBaseName;
        result.messageId = kMessageSaveFailed;
        result.path = currentFolder_ + fileName(n);
        result.reason = BaseNameRefusalText(check);
        return result;
    }
    if (n >= limit) return limitReached();
    // Below the limit every number has the same width, so one check covers
    // every name the scan may end on.
    result.path = currentFolder_ + fileName(n);
    if (!FitsPathBuffer(result.path)) {
        result.status = NamingStatus::kPathTooLong;
        result.messageId = kMessageSaveFailed;
        result.reason = kPathTooLongReason;
        return result;
    }

    std::vector<int> used;
    if (s.overwriteExisting == 0 && list) {
        const std::wstring pattern = currentFolder_ + std::wstring(baseName) + L"*.*";
        result.error = list(pattern, [&](std::wstring_view name) {
            const int number = NumberInName(name, baseName.size(), digits);
            if (number >= n) used.push_back(number);
        });
        if (result.error != 0) {
            result.status = NamingStatus::kListingFailed;
            result.messageId = kMessageSaveFailed;
            return result;
        }
        std::sort(used.begin(), used.end());
    }
    // At most one step per listed name and per device name (COM1-COM9 and
    // LPT1-LPT9 with one digit): the walk is as short as the listing.
    auto next = used.begin();
    while (n < limit) {
        while (next != used.end() && *next < n) ++next;
        if ((next != used.end() && *next == n) || IsReservedFileName(fileName(n))) {
            ++n;  // n < limit <= 10^9, no overflow
            continue;
        }
        break;
    }
    if (n >= limit) return limitReached();
    s.saveNumber = n;
    lastFileName_ = fileName(n);
    result.path = currentFolder_ + lastFileName_;
    filePath_ = result.path;
    return result;
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
