// The settings dialog's values without a dialog: record -> controls -> record.
#include "settings/SettingsForm.h"

#include <gtest/gtest.h>

#include <climits>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "settings/FileNameCheck.h"
#include "settings/Hotkey.h"
#include "settings/SettingsDialogIds.h"

namespace mrv {
namespace {

// One byte a character; code page 932 is tested under Wine.
struct AsciiConverter final : TextConverter {
    std::wstring ToWide(std::string_view b) const override { return {b.begin(), b.end()}; }
    bool ToBytes(std::wstring_view text, std::string* bytes) const override {
        bytes->assign(text.begin(), text.end());
        return true;
    }
};

struct FakeControls final : DialogControls {
    std::map<int, std::wstring> texts;
    std::map<int, bool> checks;
    std::map<int, int> hotkeys;
    std::wstring Text(int id) const override { return texts.count(id) ? texts.at(id) : L""; }
    void SetText(int id, std::wstring_view text) override { texts[id] = text; }
    bool IsChecked(int id) const override { return checks.count(id) && checks.at(id); }
    void SetChecked(int id, bool checked) override { checks[id] = checked; }
    int HotkeyValue(int id) const override { return hotkeys.count(id) ? hotkeys.at(id) : 0; }
    void SetHotkeyValue(int id, int value) override { hotkeys[id] = value; }
};

// `settings` shown in fake controls, changed by `edit`, read back and stored.
template <typename Edit>
Settings Confirm(Settings settings, Edit edit) {
    const AsciiConverter ascii;
    SettingsForm form = FormFromSettings(settings, ascii);
    FakeControls controls;
    ShowForm(form, controls);
    edit(controls);
    ReadForm(controls, form);
    EXPECT_EQ(StoreForm(form, ascii, settings), FormRefusal::kNone);
    return settings;
}

// Numbers as typed, parsed; then each bound of every number stored after OK.
TEST(SettingsForm, NumbersParseAndClampToTheirRanges) {
    // clang-format off
    const std::pair<const wchar_t*, int> parsed[] = {
        {L"  \t+15", 15}, {L"12abc", 12}, {L"", 0}, {L"--5", 0}, {L"0x10", 0},
        // Only the first 15 characters count; more digits than an int holds
        // saturate; the Japanese input method types full-width forms.
        {L"0000000000000015", 1}, {L"              9", 9}, {L"               9", 0}, {L"999999999999999", INT_MAX},
        {L"-99999999999999", INT_MIN}, {L"4294967298", INT_MAX}, {L"\xFF11\xFF12", 12}, {L"\x3000\xFF0D\xFF18", -8}};
    // clang-format on
    for (const auto& [text, value] : parsed) EXPECT_EQ(ParseNumberField(text), value) << text;

    using S = Settings;
    const struct {
        int id;
        const wchar_t* typed;
        std::int32_t S::*field;
        int stored;
        const wchar_t* digits = L"4";
    } clamped[] = {
        // clang-format off
        {IDC_GRID_SIZE, L"0", &S::gridSize, 2},            {IDC_GRID_SIZE, L"150", &S::gridSize, 100},
        {IDC_ZOOM_WIDTH, L"2", &S::zoomRadius, 1},         {IDC_ZOOM_WIDTH, L"100", &S::zoomRadius, 49},
        {IDC_ZOOM_WIDTH, L"10", &S::zoomRadius, 4},  // an even width: shown as 9 next time
        {IDC_ZOOM_FACTOR, L"0", &S::zoomFactor, 1},        {IDC_ZOOM_FACTOR, L"9", &S::zoomFactor, 8},
        {IDC_NUMBER_DIGITS, L"-1", &S::numberDigits, 1},   {IDC_NUMBER_DIGITS, L"9", &S::numberDigits, 8},
        {IDC_QUALITY_HIGH, L"101", &S::jpegQualityHigh, 100},
        {IDC_QUALITY_STANDARD, L"-5", &S::jpegQualityStandard, 0},
        {IDC_QUALITY_MEDIUM, L"33", &S::jpegQualityMedium, 33}, {IDC_QUALITY_LOW, L"7", &S::jpegQualityLow, 7},
        // Up to 10^digits, after the digits were clamped.
        {IDC_SAVE_NUMBER, L"-7", &S::saveNumber, 0},       {IDC_SAVE_NUMBER, L"500", &S::saveNumber, 100, L"2"},
        {IDC_SAVE_NUMBER, L"50", &S::saveNumber, 10, L"0"},
        // clang-format on
    };
    for (const auto& c : clamped) {
        const Settings s = Confirm(Settings{}, [&](FakeControls& k) {
            k.texts[IDC_NUMBER_DIGITS] = c.digits;
            k.texts[c.id] = c.typed;
        });
        EXPECT_EQ(s.*c.field, c.stored) << c.id << " " << c.typed;
    }
}

// Each box alone on (any non-zero value), the tool buttons and a corner shown;
// then others ticked and read back. The drawing tool's entry keeps its value.
TEST(SettingsForm, CheckBoxesToolButtonsAndCornersMapBothWays) {
    // clang-format off
    const std::pair<int, std::int32_t Settings::*> boxes[] = {
        {IDC_OVERWRITE_EXISTING, &Settings::overwriteExisting}, {IDC_RESET_NUMBER, &Settings::resetNumberAtStartup},
        {IDC_MINIMIZE_AFTER_COPY, &Settings::minimizeAfterCopy}, {IDC_AUTO_SELECT, &Settings::autoSelectOnDoubleClick},
        {IDC_TOOL_PANEL_VISIBLE, &Settings::toolPanelVisible}, {IDC_ZOOM_SNAP, &Settings::zoomSnapToCorner},
        {IDC_DRAW_SHADOW, &Settings::drawShadow}};
    // clang-format on
    const int draw = IDC_TOOL_CHECK_DRAW - IDC_TOOL_CHECK_FIRST;
    for (int k = 0; k < 7; ++k) {
        Settings s;
        for (int i = 0; i < 7; ++i) s.*boxes[i].second = i == k ? 5 : 0;
        for (int i = 0; i < kToolButtonCount; ++i) s.toolButtons[i] = (i + k) % 3 == 0;
        s.toolPanelCorner = k % 4 + 1;
        std::vector<std::tuple<int, bool, bool>> controls;  // id, shown checked, ticked then
        for (int i = 0; i < 7; ++i) controls.emplace_back(boxes[i].first, i == k, i == (k + 1) % 7);
        for (int i = 0; i < kToolButtonCount; ++i)
            controls.emplace_back(IDC_TOOL_CHECK_FIRST + i, s.toolButtons[i], !s.toolButtons[i]);
        for (int i = 0; i < 4; ++i)
            controls.emplace_back(IDC_CORNER_ABOVE_LEFT + i, i == k % 4, i == (k + 1) % 4);
        const Settings out = Confirm(s, [&](FakeControls& c) {
            for (const auto& [id, shown, ticked] : controls) {
                EXPECT_EQ(c.checks[id], shown) << id;
                c.checks[id] = ticked;
            }
        });
        for (int i = 0; i < 7; ++i) EXPECT_EQ(out.*boxes[i].second, i == (k + 1) % 7) << i;
        for (int i = 0; i < kToolButtonCount; ++i)
            EXPECT_EQ(out.toolButtons[i], i == draw ? s.toolButtons[i] : !s.toolButtons[i]) << i;
        EXPECT_EQ(out.toolPanelCorner, (k + 1) % 4 + 1);
    }
    // A damaged corner: OK stores the default one.
    Settings odd;
    odd.toolPanelCorner = 9;
    EXPECT_EQ(Confirm(odd, [](FakeControls&) {}).toolPanelCorner, kCornerBelowLeft);
}

// Base names Windows cannot start a file name with; the subject is what the
// message names.
TEST(BaseNames, OnlyPiecesOfOneFileNameAreAccepted) {
    using P = BaseNameProblem;
    const struct {
        std::wstring name;
        P problem;
        std::wstring subject;
    } cases[] = {
        // clang-format off
        {L"", P::kNone, L""},  // the names are the numbers alone
        {L"\x753B\x50CF_\x30B9\x30AF\x30B7\x30E7", P::kNone, L""},  // Japanese
        {L"shot 1.v2", P::kNone, L""},
        {L"COM0", P::kNone, L""},        {L"LPT10", P::kNone, L""},        {L"CONSOLE", P::kNone, L""},
        {L"C:x", P::kCharacter, L":"},   {L"a\tb", P::kCharacter, L"\t"}, {L"a\x7F", P::kCharacter, L"\x7F"},
        {L"..\\up", P::kCharacter, L"\\"},  // the separator, before the dots
        {L"CON", P::kReservedName, L"CON"},      {L"prn", P::kReservedName, L"prn"},
        {L"Aux.txt", P::kReservedName, L"Aux"},  {L"nul.tar.gz", P::kReservedName, L"nul"},
        {L"com1", P::kReservedName, L"com1"},    {L"LPT9.png", P::kReservedName, L"LPT9"},
        {L"con .x", P::kReservedName, L"con"},
        {L"shot.", P::kTrailingDotSpace, L"."},  {L"shot ", P::kTrailingDotSpace, L" "},
        {L"...", P::kTrailingDotSpace, L"."},    {L"  ", P::kTrailingDotSpace, L" "},
        // clang-format on
    };
    for (const auto& c : cases) {
        const BaseNameCheck check = CheckBaseName(c.name);
        EXPECT_EQ(check.problem, c.problem) << c.name;
        EXPECT_EQ(check.subject, c.subject) << c.name;
        const std::wstring text = BaseNameRefusalText(check);
        EXPECT_EQ(text.empty(), c.problem == P::kNone) << c.name;
        if (c.problem != P::kCharacter || (c.subject[0] >= 0x20 && c.subject[0] != 0x7F)) {
            EXPECT_NE(text.find(c.subject), std::wstring::npos) << c.name;
        }
    }
    for (const wchar_t c : std::wstring_view(L"\\/*?\"<>|")) {
        const BaseNameCheck check = CheckBaseName(std::wstring(L"a") + c + L"b");
        EXPECT_EQ(check.problem, P::kCharacter) << c;
        EXPECT_EQ(check.subject, std::wstring(1, c));
        EXPECT_NE(BaseNameRefusalText(check).find(c), std::wstring::npos) << c;
    }
    EXPECT_NE(BaseNameRefusalText(CheckBaseName(L"a\tb")).find(L"U+0009"), std::wstring::npos);
    EXPECT_NE(BaseNameRefusalText(CheckBaseName(L"a\x7F")).find(L"U+007F"), std::wstring::npos);

    // The record's bytes: a trailing byte 0x5C or 0x7C belongs to its
    // character; a lead byte with no valid trailing byte stands alone.
    EXPECT_EQ(Cp932AsNameCharacters("a\x83\x5C\x83|\xB1"), L"a\xFFFD\xFFFD\xFF71");
    EXPECT_EQ(Cp932AsNameCharacters("\x83*\x81"), L"\xFFFD*\xFFFD");

    // The dialog refuses them, naming the subject, and keeps the record.
    const AsciiConverter ascii;
    Settings s;
    SettingsForm form = FormFromSettings(s, ascii);
    form.baseName = L"CON";
    EXPECT_EQ(StoreForm(form, ascii, s), FormRefusal::kBaseNameUnusable);
    EXPECT_STREQ(s.baseName, "img");
    EXPECT_EQ(RefusalMessage(FormRefusal::kBaseNameUnusable, form),
              BaseNameRefusalText(CheckBaseName(L"CON")));
    EXPECT_EQ(RefusedControl(FormRefusal::kBaseNameUnusable), IDC_BASE_NAME);
}

// The hotkey control packs modifiers in another bit order than the file.
TEST(SettingsForm, HotkeyFieldMapsBothWaysAndNamesTheKey) {
    const SettingsExtension ctrlShiftF9{0x78, kHotkeyControl | kHotkeyShift};
    const SettingsExtension altP{'P', kHotkeyAlt};
    EXPECT_EQ(HotkeyControlValue(ctrlShiftF9), 0x0378);  // HOTKEYF_SHIFT 1 | HOTKEYF_CONTROL 2
    EXPECT_EQ(HotkeyControlValue(altP), 0x0450);         // HOTKEYF_ALT 4
    // Extended keys carry HOTKEYF_EXT 8, or the control would name Print
    // Screen as the keypad's "*".
    EXPECT_EQ(HotkeyControlValue({0x2C, 0}), 0x082C);
    EXPECT_EQ(HotkeyControlValue({0x6A, 0}), 0x006A);               // the keypad's "*" itself
    EXPECT_EQ(HotkeyFromControlValue(0x0378), ctrlShiftF9);
    EXPECT_EQ(HotkeyFromControlValue(0x0800 | 'K'), (SettingsExtension{'K', 0}));  // extended key
    EXPECT_EQ(HotkeyFromControlValue(0x0300), (SettingsExtension{0, 0}));  // modifiers, no key

    Settings s;
    s.extension = ctrlShiftF9;
    const std::pair<int, SettingsExtension> typed[] = {
        {-1, ctrlShiftF9}, {0x0450, altP}, {0, {0, 0}}, {0x082C, {0x2C, 0}}};
    for (const auto& [value, stored] : typed) {
        const Settings out = Confirm(s, [value = value](FakeControls& c) {
            EXPECT_EQ(c.hotkeys[IDC_HOTKEY], 0x0378);
            if (value >= 0) c.hotkeys[IDC_HOTKEY] = value;  // -1: left alone
        });
        EXPECT_EQ(out.extension, stored) << value;
    }

    const std::pair<SettingsExtension, const wchar_t*> names[] = {
        {{0x2C, 0}, L"Print Screen"}, {ctrlShiftF9, L"Ctrl+Shift+F9"}, {altP, L"Alt+P"},
        {{0x87, 7}, L"Ctrl+Shift+Alt+F24"}, {{0x65, 0}, L"Num 5"},
        {{0xBA, kHotkeyControl}, L"Ctrl+キー 0xBA"}, {{0, 0}, L"なし"}};
    for (const auto& [hotkey, name] : names) EXPECT_EQ(HotkeyName(hotkey), name);
    EXPECT_EQ(
        HotkeyUnavailableMessage({0x2C, 0}),
        L"ホットキー「Print Screen」を登録できませんでした．\n「設定」で別のキーを選べます．");
}

// "%%" gives "%", other '%' stay, and no argument is expanded again.
TEST(SettingsForm, FormatWithStrings) {
    EXPECT_EQ(FormatWithStrings(L"100%% %d %s%s", {L"a%sb"}), L"100% %d a%sb");
}

}  // namespace
}  // namespace mrv
