#include "settings/SettingsForm.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>

#include "settings/FileNameCheck.h"
#include "settings/SettingsDialogIds.h"

namespace mrv {
namespace {

// The plain check boxes and the field each one shows.
struct CheckBoxField {
    int id;
    int SettingsForm::*field;
};
constexpr CheckBoxField kCheckBoxes[] = {
    {IDC_OVERWRITE_EXISTING, &SettingsForm::overwriteExisting},
    {IDC_RESET_NUMBER, &SettingsForm::resetNumberAtStartup},
    {IDC_MINIMIZE_AFTER_COPY, &SettingsForm::minimizeAfterCopy},
    {IDC_AUTO_SELECT, &SettingsForm::autoSelectOnDoubleClick},
    {IDC_TOOL_PANEL_VISIBLE, &SettingsForm::toolPanelVisible},
    {IDC_ZOOM_SNAP, &SettingsForm::zoomSnapToCorner},
    {IDC_DRAW_SHADOW, &SettingsForm::drawShadow},
};

// The number edits and the field each one shows.
struct NumberEdit {
    int id;
    int SettingsForm::*field;
};
constexpr NumberEdit kNumberEdits[] = {
    {IDC_GRID_SIZE, &SettingsForm::gridSize},         {IDC_ZOOM_WIDTH, &SettingsForm::zoomWidth},
    {IDC_ZOOM_FACTOR, &SettingsForm::zoomFactor},     {IDC_SAVE_NUMBER, &SettingsForm::saveNumber},
    {IDC_NUMBER_DIGITS, &SettingsForm::numberDigits},
};
constexpr int kQualityEdits[4] = {IDC_QUALITY_HIGH, IDC_QUALITY_STANDARD, IDC_QUALITY_MEDIUM,
                                  IDC_QUALITY_LOW};

// How many characters of a number edit are looked at.
constexpr std::size_t kNumberFieldLength = 15;

int Clamp(int value, int low, int high) {
    return std::min(std::max(value, low), high);
}

int PowerOfTen(int exponent) {
    int result = 1;
    for (int i = 0; i < exponent; ++i) result *= 10;
    return result;
}

// The bounds the dialog enforces. The grid accepts one more than its label
// says (100); the sequential number may reach 10^digits itself, which the
// next save reports as the exhausted limit.
void ClampForm(SettingsForm& form) {
    for (int& quality : form.jpegQuality) quality = Clamp(quality, 0, 100);
    form.gridSize = Clamp(form.gridSize, 2, 100);
    form.zoomWidth = Clamp(form.zoomWidth, 3, 99);
    form.zoomFactor = Clamp(form.zoomFactor, 1, 8);
    form.numberDigits = Clamp(form.numberDigits, 1, 8);
    form.saveNumber = Clamp(form.saveNumber, 0, PowerOfTen(form.numberDigits));
    if (form.toolPanelCorner < kCornerAboveLeft || form.toolPanelCorner > kCornerBelowRight) {
        form.toolPanelCorner = kCornerBelowLeft;
    }
}

bool IsBlank(wchar_t c) {
    return c == L' ' || (c >= L'\t' && c <= L'\r') || c == L'\x3000';
}

// 0-9 for ASCII and full-width digits, -1 for anything else.
int DigitValue(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'\xFF10' && c <= L'\xFF19') return c - L'\xFF10';
    return -1;
}

std::wstring Widen(const TextConverter& converter, const char* text, std::size_t width) {
    return converter.ToWide(std::string_view(text, strnlen(text, width)));
}

void CopyText(const std::string& bytes, char* target, std::size_t width) {
    std::memset(target, 0, width);
    std::memcpy(target, bytes.data(), std::min(bytes.size(), width - 1));
}

// The record's bytes for both texts, or the reason they do not fit.
FormRefusal EncodeTexts(const SettingsForm& form, const TextConverter& converter,
                        std::string* baseName, std::string* saveFolder) {
    if (!converter.ToBytes(form.baseName, baseName)) return FormRefusal::kBaseNameUnencodable;
    if (!CheckBaseName(form.baseName).Accepted()) return FormRefusal::kBaseNameUnusable;
    if (baseName->size() > kMaxBaseNameBytes) return FormRefusal::kBaseNameTooLong;
    // The separator is trimmed before converting: in code page 932 the byte
    // 0x5C is also the second byte of characters such as "ソ", so a trailing
    // "\" can only be recognised as a character, never as a byte.
    if (!converter.ToBytes(FolderWithoutSeparator(form.saveFolder), saveFolder)) {
        return FormRefusal::kSaveFolderUnencodable;
    }
    if (saveFolder->size() > kMaxSaveFolderBytes) return FormRefusal::kSaveFolderTooLong;
    return FormRefusal::kNone;
}

}  // namespace

SettingsForm FormFromSettings(const Settings& settings, const TextConverter& converter,
                              std::string_view versionTag) {
    SettingsForm form;
    std::copy(std::begin(settings.toolButtons), std::end(settings.toolButtons),
              std::begin(form.toolButtons));
    form.toolPanelCorner = settings.toolPanelCorner;
    form.jpegQuality[0] = settings.jpegQualityHigh;
    form.jpegQuality[1] = settings.jpegQualityStandard;
    form.jpegQuality[2] = settings.jpegQualityMedium;
    form.jpegQuality[3] = settings.jpegQualityLow;
    form.gridSize = settings.gridSize;
    form.zoomFactor = settings.zoomFactor;
    const std::int64_t width = 2 * static_cast<std::int64_t>(settings.zoomRadius) + 1;
    form.zoomWidth = static_cast<int>(std::clamp<std::int64_t>(width, INT_MIN, INT_MAX));
    form.saveNumber = settings.saveNumber;
    form.numberDigits = settings.numberDigits;
    form.overwriteExisting = settings.overwriteExisting;
    form.resetNumberAtStartup = settings.resetNumberAtStartup;
    form.minimizeAfterCopy = settings.minimizeAfterCopy;
    form.autoSelectOnDoubleClick = settings.autoSelectOnDoubleClick;
    form.drawShadow = settings.drawShadow;
    form.toolPanelVisible = settings.toolPanelVisible;
    form.zoomSnapToCorner = settings.zoomSnapToCorner;
    form.baseName = Widen(converter, settings.baseName, sizeof settings.baseName);
    form.saveFolder =
        FolderWithoutSeparator(Widen(converter, settings.saveFolder, sizeof settings.saveFolder));
    form.versionText = converter.ToWide(versionTag.substr(0, versionTag.find('\0')));
    return form;
}

void ShowForm(const SettingsForm& form, DialogControls& controls) {
    for (int i = 0; i < kToolButtonCount; ++i) {
        controls.SetChecked(IDC_TOOL_CHECK_FIRST + i, form.toolButtons[i] != 0);
    }
    for (int i = 0; i < 4; ++i) {
        controls.SetText(kQualityEdits[i], std::to_wstring(form.jpegQuality[i]));
    }
    for (int id = IDC_CORNER_ABOVE_LEFT; id <= IDC_CORNER_BELOW_RIGHT; ++id) {
        controls.SetChecked(id, id == IDC_CORNER_BASE + form.toolPanelCorner);
    }
    for (const NumberEdit& edit : kNumberEdits) {
        controls.SetText(edit.id, std::to_wstring(form.*edit.field));
    }
    for (const CheckBoxField& box : kCheckBoxes) controls.SetChecked(box.id, form.*box.field != 0);
    controls.SetText(IDC_BASE_NAME, form.baseName);
    controls.SetText(IDC_SAVE_FOLDER, form.saveFolder);
    controls.SetText(IDC_VERSION_TEXT, form.versionText);
}

void ReadForm(const DialogControls& controls, SettingsForm& form) {
    for (int i = 0; i < kToolButtonCount; ++i) {
        const int id = IDC_TOOL_CHECK_FIRST + i;
        if (id != IDC_TOOL_CHECK_DRAW) form.toolButtons[i] = controls.IsChecked(id) ? 1 : 0;
    }
    for (int i = 0; i < 4; ++i)
        form.jpegQuality[i] = ParseNumberField(controls.Text(kQualityEdits[i]));
    for (int id = IDC_CORNER_ABOVE_LEFT; id <= IDC_CORNER_BELOW_RIGHT; ++id) {
        if (controls.IsChecked(id)) {
            form.toolPanelCorner = id - IDC_CORNER_BASE;
            break;
        }
    }
    for (const NumberEdit& edit : kNumberEdits) {
        form.*edit.field = ParseNumberField(controls.Text(edit.id));
    }
    for (const CheckBoxField& box : kCheckBoxes)
        form.*box.field = controls.IsChecked(box.id) ? 1 : 0;
    form.baseName = controls.Text(IDC_BASE_NAME);
    form.saveFolder = controls.Text(IDC_SAVE_FOLDER);
    ClampForm(form);
}

FormRefusal CheckForm(const SettingsForm& form, const TextConverter& converter) {
    std::string baseName, saveFolder;
    return EncodeTexts(form, converter, &baseName, &saveFolder);
}

FormRefusal StoreForm(const SettingsForm& input, const TextConverter& converter,
                      Settings& settings) {
    std::string baseName, saveFolder;
    const FormRefusal refusal = EncodeTexts(input, converter, &baseName, &saveFolder);
    if (refusal != FormRefusal::kNone) return refusal;
    SettingsForm form = input;
    ClampForm(form);

    std::copy(std::begin(form.toolButtons), std::end(form.toolButtons),
              std::begin(settings.toolButtons));
    settings.toolPanelCorner = form.toolPanelCorner;
    settings.jpegQualityHigh = form.jpegQuality[0];
    settings.jpegQualityStandard = form.jpegQuality[1];
    settings.jpegQualityMedium = form.jpegQuality[2];
    settings.jpegQualityLow = form.jpegQuality[3];
    settings.gridSize = form.gridSize;
    settings.zoomFactor = form.zoomFactor;
    settings.zoomRadius = (form.zoomWidth - 1) / 2;  // an even width shows one less
    settings.saveNumber = form.saveNumber;
    settings.numberDigits = form.numberDigits;
    settings.overwriteExisting = form.overwriteExisting;
    settings.resetNumberAtStartup = form.resetNumberAtStartup;
    settings.minimizeAfterCopy = form.minimizeAfterCopy;
    settings.autoSelectOnDoubleClick = form.autoSelectOnDoubleClick;
    settings.drawShadow = form.drawShadow;
    settings.toolPanelVisible = form.toolPanelVisible;
    settings.zoomSnapToCorner = form.zoomSnapToCorner;
    CopyText(baseName, settings.baseName, sizeof settings.baseName);
    CopyText(saveFolder + '\\', settings.saveFolder, sizeof settings.saveFolder);
    return FormRefusal::kNone;
}

std::wstring RefusalMessage(FormRefusal refusal, const SettingsForm& form) {
    switch (refusal) {
        case FormRefusal::kBaseNameTooLong:
            return L"連番保存名が長すぎます．\n半角 100 文字（全角 50 "
                   L"文字）以内で入力してください．";
        case FormRefusal::kBaseNameUnencodable:
            return L"連番保存名に使用できない文字が含まれています．";
        case FormRefusal::kBaseNameUnusable:
            return BaseNameRefusalText(CheckBaseName(form.baseName));
        case FormRefusal::kSaveFolderTooLong:
            return L"保存フォルダのパスが長すぎます．\n半角 258 文字（全角 129 "
                   L"文字）以内で入力してください．";
        case FormRefusal::kSaveFolderUnencodable:
            return L"保存フォルダのパスに使用できない文字が含まれています．";
        case FormRefusal::kNone:
            break;
    }
    return L"";
}

int RefusedControl(FormRefusal refusal) {
    switch (refusal) {
        case FormRefusal::kBaseNameTooLong:
        case FormRefusal::kBaseNameUnencodable:
        case FormRefusal::kBaseNameUnusable:
            return IDC_BASE_NAME;
        case FormRefusal::kSaveFolderTooLong:
        case FormRefusal::kSaveFolderUnencodable:
            return IDC_SAVE_FOLDER;
        case FormRefusal::kNone:
            break;
    }
    return 0;
}

int ParseNumberField(std::wstring_view text) {
    text = text.substr(0, kNumberFieldLength);
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) ++i;
    bool negative = false;
    if (i < text.size()) {
        const wchar_t c = text[i];
        if (c == L'-' || c == L'\xFF0D') {
            negative = true;
            ++i;
        } else if (c == L'+' || c == L'\xFF0B') {
            ++i;
        }
    }
    // At most 15 digits: far inside 64 bits, then saturated to int.
    std::int64_t value = 0;
    for (; i < text.size() && DigitValue(text[i]) >= 0; ++i)
        value = value * 10 + DigitValue(text[i]);
    if (negative) value = -value;
    return static_cast<int>(std::clamp<std::int64_t>(value, INT_MIN, INT_MAX));
}

std::wstring FolderWithoutSeparator(std::wstring_view folder) {
    std::size_t end = folder.size();
    while (end > 0 && (folder[end - 1] == L'\\' || folder[end - 1] == L'/')) --end;
    return std::wstring(folder.substr(0, end));
}

std::wstring FormatWithStrings(std::wstring_view pattern,
                               std::initializer_list<std::wstring_view> args) {
    std::wstring out;
    auto next = args.begin();
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == L'%' && i + 1 < pattern.size()) {
            if (pattern[i + 1] == L's') {
                if (next != args.end()) out.append(*next++);
                ++i;
                continue;
            }
            if (pattern[i + 1] == L'%') {
                out.push_back(L'%');
                ++i;
                continue;
            }
        }
        out.push_back(pattern[i]);
    }
    return out;
}

}  // namespace mrv
