// The settings dialog's values without a dialog: record -> controls -> record
// through fake controls and an ASCII-only converter (one byte per character,
// anything else unencodable), so byte limits equal character counts here.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <map>
#include <string>

#include "settings/Settings.h"
#include "settings/SettingsDialogIds.h"
#include "settings/SettingsForm.h"

namespace mrv {
namespace {

class AsciiConverter final : public TextConverter {
public:
    std::wstring ToWide(std::string_view bytes) const override {
        return std::wstring(bytes.begin(), bytes.end());
    }
    bool ToBytes(std::wstring_view text, std::string* bytes) const override {
        bytes->clear();
        for (wchar_t c : text) {
            if (c <= 0 || c > 0x7F) return false;
            bytes->push_back(static_cast<char>(c));
        }
        return true;
    }
};

class FakeControls final : public DialogControls {
public:
    std::wstring Text(int id) const override {
        auto it = texts.find(id);
        return it == texts.end() ? std::wstring() : it->second;
    }
    void SetText(int id, std::wstring_view text) override { texts[id] = std::wstring(text); }
    bool IsChecked(int id) const override {
        auto it = checks.find(id);
        return it != checks.end() && it->second;
    }
    void SetChecked(int id, bool checked) override { checks[id] = checked; }

    std::map<int, std::wstring> texts;
    std::map<int, bool> checks;
};

Settings Defaults() {
    Settings s;
    ResetSettings(s, "C:\\app\\");
    return s;
}

// Shows `settings` in fake controls, lets `edit` change them, presses OK.
template <typename Edit>
Settings ConfirmWith(const Settings& settings, Edit edit) {
    AsciiConverter ascii;
    SettingsForm form = FormFromSettings(settings, ascii);
    FakeControls controls;
    ShowForm(form, controls);
    edit(controls);
    ReadForm(controls, form);
    Settings out = settings;
    EXPECT_EQ(StoreForm(form, ascii, out), FormRefusal::kNone);
    return out;
}

Settings ConfirmTyping(int id, const wchar_t* text) {
    return ConfirmWith(Defaults(), [&](FakeControls& c) { c.texts[id] = text; });
}

TEST(SettingsFormNumbers, ParsesLikeTheEditExpects) {
    const struct {
        const wchar_t* text;
        int value;
    } cases[] = {
        {L"42", 42},
        {L"  \t7", 7},
        {L"+15", 15},
        {L"-3", -3},
        {L"12abc", 12},
        {L"1 2", 1},
        {L"abc", 0},
        {L"", 0},
        {L"-", 0},
        {L"--5", 0},
        {L"0x10", 0},
        // Only the first 15 characters count.
        {L"000000000000001"
         L"5",
         1},
        {L"              9", 9},
        {L"               9", 0},
        // More digits than an int holds saturate instead of wrapping.
        {L"999999999999999", INT_MAX},
        {L"-99999999999999", INT_MIN},
        {L"4294967298", INT_MAX},
        // What the Japanese input method types.
        {L"\xFF11\xFF12", 12},
        {L"\x3000\xFF0D\xFF18", -8},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseNumberField(c.text), c.value) << c.text;
}

TEST(SettingsFormNumbers, OkClampsEveryNumberToItsRange) {
    const struct {
        int id;
        const wchar_t* typed;
        std::int32_t Settings::*field;
        int stored;
    } cases[] = {
        {IDC_GRID_SIZE, L"0", &Settings::gridSize, 2},
        {IDC_GRID_SIZE, L"150", &Settings::gridSize, 100},
        {IDC_GRID_SIZE, L"grid", &Settings::gridSize, 2},
        {IDC_ZOOM_WIDTH, L"100", &Settings::zoomRadius, 49},
        {IDC_ZOOM_WIDTH, L"4", &Settings::zoomRadius, 1},
        {IDC_ZOOM_WIDTH, L"10", &Settings::zoomRadius, 4},  // shown as 9 next time
        {IDC_ZOOM_FACTOR, L"0", &Settings::zoomFactor, 1},
        {IDC_ZOOM_FACTOR, L"9", &Settings::zoomFactor, 8},
        {IDC_NUMBER_DIGITS, L"9", &Settings::numberDigits, 8},
        {IDC_NUMBER_DIGITS, L"-1", &Settings::numberDigits, 1},
        {IDC_QUALITY_HIGH, L"101", &Settings::jpegQualityHigh, 100},
        {IDC_QUALITY_STANDARD, L"-5", &Settings::jpegQualityStandard, 0},
        {IDC_QUALITY_MEDIUM, L"33", &Settings::jpegQualityMedium, 33},
        {IDC_QUALITY_LOW, L"7", &Settings::jpegQualityLow, 7},
    };
    for (const auto& c : cases) {
        const Settings s =
            ConfirmWith(Defaults(), [&](FakeControls& k) { k.texts[c.id] = c.typed; });
        EXPECT_EQ(s.*c.field, c.stored) << c.id << " " << c.typed;
    }

    // The number's bound is 10^digits, after the digits were clamped.
    const struct {
        const wchar_t *digits, *number;
        int stored;
    } numbers[] = {{L"2", L"500", 100},
                   {L"2", L"99", 99},
                   {L"0", L"50", 10},
                   {L"9", L"999999999", 100000000},
                   {L"4", L"-7", 0}};
    for (const auto& n : numbers) {
        const Settings s = ConfirmWith(Defaults(), [&](FakeControls& k) {
            k.texts[IDC_NUMBER_DIGITS] = n.digits;
            k.texts[IDC_SAVE_NUMBER] = n.number;
        });
        EXPECT_EQ(s.saveNumber, n.stored) << n.digits << " " << n.number;
    }
}

TEST(SettingsFormMapping, ShowsEveryValueAndOkChangesOnlyWhatTheDialogShows) {
    Settings s = Defaults();
    s.gridSize = 17;
    s.zoomRadius = 30;
    s.zoomFactor = 5;
    s.saveNumber = 1234;
    s.numberDigits = 6;
    s.jpegQualityHigh = 91;
    s.jpegQualityLow = 3;
    std::strcpy(s.baseName, "shot_");
    std::strcpy(s.saveFolder, "D:\\pics\\");
    AsciiConverter ascii;
    FakeControls controls;
    ShowForm(FormFromSettings(s, ascii), controls);
    const std::map<int, std::wstring> shown = {
        {IDC_GRID_SIZE, L"17"},         {IDC_ZOOM_WIDTH, L"61"},
        {IDC_ZOOM_FACTOR, L"5"},        {IDC_SAVE_NUMBER, L"1234"},
        {IDC_NUMBER_DIGITS, L"6"},      {IDC_QUALITY_HIGH, L"91"},
        {IDC_QUALITY_STANDARD, L"60"},  {IDC_QUALITY_MEDIUM, L"40"},
        {IDC_QUALITY_LOW, L"3"},        {IDC_BASE_NAME, L"shot_"},
        {IDC_SAVE_FOLDER, L"D:\\pics"}, {IDC_VERSION_TEXT, L"ver_0_87"},
    };
    for (const auto& [id, text] : shown) EXPECT_EQ(controls.texts[id], text) << id;

    // Fields the dialog does not show survive OK, even when they changed
    // while it was open (the tray menu still works meanwhile).
    Settings live = s;
    live.inTaskTray = 1;
    live.frameForeColor = 0x123456;
    live.imageFormat = 0x2C;
    live.padding[1] = 0xAB;
    const Settings expected = live;
    SettingsForm form = FormFromSettings(s, ascii);
    ReadForm(controls, form);
    ASSERT_EQ(StoreForm(form, ascii, live), FormRefusal::kNone);
    EXPECT_EQ(EncodeSettings(live), EncodeSettings(expected));
}

TEST(SettingsFormMapping, EachCheckBoxShowsAndSetsItsOwnField) {
    const struct {
        int id;
        std::int32_t Settings::*field;
    } boxes[] = {
        {IDC_OVERWRITE_EXISTING, &Settings::overwriteExisting},
        {IDC_RESET_NUMBER, &Settings::resetNumberAtStartup},
        {IDC_MINIMIZE_AFTER_COPY, &Settings::minimizeAfterCopy},
        {IDC_AUTO_SELECT, &Settings::autoSelectOnDoubleClick},
        {IDC_TOOL_PANEL_VISIBLE, &Settings::toolPanelVisible},
        {IDC_ZOOM_SNAP, &Settings::zoomSnapToCorner},
        {IDC_DRAW_SHADOW, &Settings::drawShadow},
    };
    Settings none = Defaults();
    for (const auto& b : boxes) none.*b.field = 0;
    for (const auto& b : boxes) {
        Settings one = none;
        one.*b.field = 5;  // any non-zero value is on
        FakeControls shown;
        ShowForm(FormFromSettings(one, AsciiConverter()), shown);
        for (const auto& other : boxes) EXPECT_EQ(shown.checks[other.id], other.id == b.id);

        const Settings read = ConfirmWith(none, [&](FakeControls& c) { c.checks[b.id] = true; });
        for (const auto& other : boxes) EXPECT_EQ(read.*other.field, other.id == b.id ? 1 : 0);
    }
}

TEST(SettingsFormMapping, ToolButtonsFollowTheirIndexAndTheDrawToolKeepsItsValue) {
    for (int i = 0; i < kToolButtonCount; ++i) {
        Settings one = Defaults();
        std::fill(std::begin(one.toolButtons), std::end(one.toolButtons), 0);
        one.toolButtons[i] = 1;
        FakeControls shown;
        ShowForm(FormFromSettings(one, AsciiConverter()), shown);
        for (int k = 0; k < kToolButtonCount; ++k) EXPECT_EQ(shown.checks[1003 + k], k == i);
    }
    // Everything ticked and everything cleared: entry 16 stays as stored.
    for (int stored : {0, 1}) {
        Settings s = Defaults();
        s.toolButtons[16] = stored;
        for (bool ticked : {false, true}) {
            const Settings out = ConfirmWith(s, [&](FakeControls& c) {
                for (int id = 1003; id <= 1022; ++id) c.checks[id] = ticked;
            });
            for (int k = 0; k < kToolButtonCount; ++k) {
                EXPECT_EQ(out.toolButtons[k], k == 16 ? stored : ticked ? 1 : 0) << k;
            }
        }
    }
}

TEST(SettingsFormMapping, CornerRadios) {
    for (int corner = 1; corner <= 4; ++corner) {
        Settings s = Defaults();
        s.toolPanelCorner = corner;
        FakeControls shown;
        ShowForm(FormFromSettings(s, AsciiConverter()), shown);
        for (int id = 1023; id <= 1026; ++id) EXPECT_EQ(shown.checks[id], id == 1022 + corner);

        const Settings out = ConfirmWith(Defaults(), [&](FakeControls& c) {
            for (int id = 1023; id <= 1026; ++id) c.checks[id] = id == 1022 + corner;
        });
        EXPECT_EQ(out.toolPanelCorner, corner);
    }
    // No radio checked (a damaged value showed none): the default corner.
    Settings odd = Defaults();
    odd.toolPanelCorner = 9;
    EXPECT_EQ(ConfirmWith(odd, [](FakeControls&) {}).toolPanelCorner, kCornerBelowLeft);
}

TEST(SettingsFormTexts, LengthLimitsAreRefusedWithoutTouchingTheRecord) {
    AsciiConverter ascii;
    const Settings original = Defaults();
    SettingsForm form = FormFromSettings(original, ascii);
    form.gridSize = 50;

    form.baseName.assign(kMaxBaseNameBytes, L'n');
    Settings s = original;
    ASSERT_EQ(StoreForm(form, ascii, s), FormRefusal::kNone);
    EXPECT_EQ(std::strlen(s.baseName), 100u);

    form.baseName.push_back(L'n');
    s = original;
    EXPECT_EQ(CheckForm(form, ascii), FormRefusal::kBaseNameTooLong);
    EXPECT_EQ(StoreForm(form, ascii, s), FormRefusal::kBaseNameTooLong);
    EXPECT_EQ(EncodeSettings(s), EncodeSettings(original));
    form.baseName = L"img\x00E9";
    EXPECT_EQ(StoreForm(form, ascii, s), FormRefusal::kBaseNameUnencodable);
    form.baseName = L"img";

    form.saveFolder.assign(kMaxSaveFolderBytes, L'f');
    ASSERT_EQ(StoreForm(form, ascii, s), FormRefusal::kNone);
    EXPECT_EQ(std::strlen(s.saveFolder), 259u);
    EXPECT_EQ(s.saveFolder[258], '\\');

    form.saveFolder.push_back(L'f');
    s = original;
    EXPECT_EQ(StoreForm(form, ascii, s), FormRefusal::kSaveFolderTooLong);
    EXPECT_EQ(EncodeSettings(s), EncodeSettings(original));
    // A trailing separator typed by hand is not counted: the record adds one.
    form.saveFolder.back() = L'\\';
    EXPECT_EQ(StoreForm(form, ascii, s), FormRefusal::kNone);
    form.saveFolder = L"C:\\\x65E5";
    EXPECT_EQ(CheckForm(form, ascii), FormRefusal::kSaveFolderUnencodable);
}

TEST(SettingsFormTexts, SaveFolderHasExactlyOneSeparatorInTheRecord) {
    const struct {
        const wchar_t* typed;
        const char* stored;
        const wchar_t* shownNext;
    } cases[] = {
        {L"D:\\shots", "D:\\shots\\", L"D:\\shots"},
        {L"D:\\shots\\", "D:\\shots\\", L"D:\\shots"},
        {L"D:\\shots//\\", "D:\\shots\\", L"D:\\shots"},
        {L"C:\\", "C:\\", L"C:"},
        {L"\\\\server\\share", "\\\\server\\share\\", L"\\\\server\\share"},
    };
    for (const auto& c : cases) {
        const Settings s = ConfirmTyping(IDC_SAVE_FOLDER, c.typed);
        EXPECT_STREQ(s.saveFolder, c.stored) << c.typed;
        EXPECT_EQ(FormFromSettings(s, AsciiConverter()).saveFolder, c.shownNext);
    }
}

TEST(SettingsFormTexts, FormatWithStrings) {
    EXPECT_EQ(FormatWithStrings(L"「%s」\nが存在しません．\n「%s」", {L"D:\\x\\", L"C:\\app\\"}),
              L"「D:\\x\\」\nが存在しません．\n「C:\\app\\」");
    EXPECT_EQ(FormatWithStrings(L"100%% %d %s%", {L"a%sb"}), L"100% %d a%sb%");
    EXPECT_EQ(FormatWithStrings(L"[%s][%s]", {L"one"}), L"[one][]");
    EXPECT_EQ(FormatWithStrings(L"plain", {L"unused"}), L"plain");
}

}  // namespace
}  // namespace mrv
