// The settings dialog's values, without the dialog: how the record is shown in
// the controls, how the controls are read back (number parsing and clamping),
// and the text rules for the two strings the record holds in fixed widths.
//
// The dialog works on a copy. FormFromSettings fills a SettingsForm from the
// record, ShowForm puts it into the controls, ReadForm reads the controls back
// with clamping, CheckForm says whether the texts fit, and only StoreForm
// writes into the record, all at once, touching nothing the dialog does not
// show.
//
// Texts are UTF-16 here, as the controls hold them; the record keeps code page
// 932 bytes. The conversion is behind TextConverter so this file stays
// portable; the Win32 half supplies the code page 932 converter.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include "settings/Settings.h"

namespace mrv {

class TextConverter {
public:
    virtual ~TextConverter() = default;
    // Record bytes to UTF-16; `bytes` holds no NUL.
    [[nodiscard]] virtual std::wstring ToWide(std::string_view bytes) const = 0;
    // UTF-16 to record bytes. False when a character has no code in the
    // record's code page (it would come back as a different character).
    [[nodiscard]] virtual bool ToBytes(std::wstring_view text, std::string* bytes) const = 0;
};

// What the settings dialog's controls show.
struct SettingsForm {
    std::int32_t toolButtons[kToolButtonCount] = {};
    int toolPanelCorner = kCornerBelowLeft;
    int jpegQuality[4] = {};  // high, standard, medium, low
    int gridSize = 0;
    int zoomFactor = 0;
    int zoomWidth = 0;  // the zoom pane's full width, 2 * zoomRadius + 1
    int saveNumber = 0;
    int numberDigits = 0;
    int overwriteExisting = 0;
    int resetNumberAtStartup = 0;
    int minimizeAfterCopy = 0;
    int autoSelectOnDoubleClick = 0;
    int drawShadow = 0;
    int toolPanelVisible = 0;
    int zoomSnapToCorner = 0;
    std::wstring baseName;
    std::wstring saveFolder;  // without the trailing separator
    std::wstring versionText;
};

// Read and written by the form functions; the Win32 half maps it onto the
// dialog's child controls by id.
class DialogControls {
public:
    virtual ~DialogControls() = default;
    [[nodiscard]] virtual std::wstring Text(int id) const = 0;
    virtual void SetText(int id, std::wstring_view text) = 0;
    [[nodiscard]] virtual bool IsChecked(int id) const = 0;
    virtual void SetChecked(int id, bool checked) = 0;
};

// Longest texts the record can hold, in code page 932 bytes: baseName 100,
// saveFolder 258 (the separator the record adds makes 259).
constexpr std::size_t kMaxBaseNameBytes = kBaseNameSize - 1;
constexpr std::size_t kMaxSaveFolderBytes = kSaveFolderSize - 2;

// Why OK was refused. The dialog stays open and says so.
enum class FormRefusal {
    kNone,
    kBaseNameTooLong,
    kBaseNameUnencodable,
    kBaseNameUnusable,  // not the start of a file name (FileNameCheck.h)
    kSaveFolderTooLong,
    kSaveFolderUnencodable,
};

[[nodiscard]] SettingsForm FormFromSettings(const Settings& settings,
                                            const TextConverter& converter,
                                            std::string_view versionTag = kSettingsVersionTag);

// Puts every value into its control.
void ShowForm(const SettingsForm& form, DialogControls& controls);

// Reads every control back into `form`, numbers parsed and clamped. The
// disabled drawing-tool check box is not read: its entry keeps its value.
void ReadForm(const DialogControls& controls, SettingsForm& form);

// Whether the texts fit the record and its code page, and the base name can
// start a file name.
[[nodiscard]] FormRefusal CheckForm(const SettingsForm& form, const TextConverter& converter);

// Writes the dialog's fields into the record, or nothing when CheckForm
// refuses. saveFolder gets exactly one trailing separator.
[[nodiscard]] FormRefusal StoreForm(const SettingsForm& form, const TextConverter& converter,
                                    Settings& settings);

// The message for a refusal of `form` (an unusable base name is named with
// its offending character or device name) and the control to put the focus
// on (0 for none).
[[nodiscard]] std::wstring RefusalMessage(FormRefusal refusal, const SettingsForm& form);
[[nodiscard]] int RefusedControl(FormRefusal refusal);

// A number typed into an edit: the first 15 characters, leading blanks and one
// sign allowed, digits up to the first other character, none at all giving 0.
// Full-width digits, signs and the ideographic space count like their ASCII
// forms (the Japanese input method types those). Too many digits saturate at
// the int limits rather than wrap.
[[nodiscard]] int ParseNumberField(std::wstring_view text);

// `folder` without the separators ('\' or '/') it ends with.
[[nodiscard]] std::wstring FolderWithoutSeparator(std::wstring_view folder);

// `pattern` with each "%s" replaced by the next of `args` ("%%" gives "%");
// a "%s" with no argument left becomes empty, other '%' stay as they are.
// Arguments are inserted as they are, never expanded again.
[[nodiscard]] std::wstring FormatWithStrings(std::wstring_view pattern,
                                             std::initializer_list<std::wstring_view> args);

}  // namespace mrv
