// The interface face under Wine, in the prefix with font substitutes (the
// design face answers and nothing may change) and, with MRV_PLAIN_FONTS=1, a
// plain prefix where the program must find a Japanese family by itself.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "base/InterfaceFont_win.h"
#include "base/MessageBox_win.h"
#include "capture/ProgramTexts_win.h"
#include "resources/resource.h"
#include "settings/SettingsDialog_win.h"
#include "view/ScreenView_win.h"
#include "view/ToolPanel.h"

namespace mrv {
namespace {

bool PlainPrefix() {
    const char* plain = std::getenv("MRV_PLAIN_FONTS");
    return plain != nullptr && std::string(plain) == "1";
}

std::wstring FaceOf(HFONT font) {
    LOGFONTW spec{};
    return GetObjectW(font, sizeof spec, &spec) != 0 ? spec.lfFaceName : L"";
}

std::wstring TextOf(HWND window) {
    wchar_t text[1024] = {};
    GetWindowTextW(window, text, 1024);
    return text;
}

class InterfaceFontTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        characters = new std::wstring(ProgramCharacters(GetModuleHandleW(nullptr)));
        ResolveInterfaceFace(*characters);
    }
    static void TearDownTestSuite() { delete characters; }

    bool Shows(HFONT font, std::wstring_view text) const {
        CharacterSet set;
        set.Add(text);
        return FontShowsAll(dc, font, set.Characters());
    }

    static std::wstring* characters;
    HDC dc = CreateCompatibleDC(nullptr);
    ~InterfaceFontTest() override { DeleteDC(dc); }
};
std::wstring* InterfaceFontTest::characters = nullptr;

TEST_F(InterfaceFontTest, TheFaceIsChosenByTheGlyphsOfEveryTextTheProgramDraws) {
    // Menu, string table, tool tips, dialog, refusals, box buttons.
    for (const wchar_t c : std::wstring(L"画像設定終了コピー拡大ｷｬﾝｾﾙ文字いえ0x"))
        EXPECT_NE(characters->find(c), std::wstring::npos) << int{c};
    EXPECT_EQ(characters->find(L'\n'), std::wstring::npos);

    const FaceChoice& face = InterfaceFace();
    EXPECT_TRUE(face.legible);
    GdiFontCatalogue catalogue;
    EXPECT_TRUE(catalogue.Shows(face.face, *characters));
    if (PlainPrefix()) {  // another family of the list
        EXPECT_FALSE(catalogue.Shows(kDesignFace, *characters));
        const auto& list = PreferredInterfaceFaces();
        EXPECT_NE(std::find(list.begin() + 1, list.end(), face.face), list.end()) << face.face;
    } else {
        EXPECT_EQ(face.face, kDesignFace);
    }
}

TEST_F(InterfaceFontTest, MenuLabelsAndToolTipsHaveTheirGlyphsInACellOfTwelvePixels) {
    Settings settings;
    ScreenView view;
    ASSERT_EQ(view.InitScreenView(settings, GetModuleHandleW(nullptr)), 1);
    HFONT menuFont = view.menuPane.Font();
    HFONT labelFont = view.UiFont();
    EXPECT_EQ(FaceOf(menuFont), InterfaceFace().face);
    EXPECT_EQ(FaceOf(labelFont), InterfaceFace().face);

    int rows = 0;
    std::function<void(const MenuModel&)> walk = [&](const MenuModel& menu) {
        for (const MenuItem& item : menu.Items()) {
            if (item.IsSeparator()) continue;
            ++rows;
            EXPECT_TRUE(Shows(menuFont, item.Label())) << item.text;
            EXPECT_TRUE(Shows(menuFont, item.Accelerator())) << item.text;
            if (item.submenu) walk(*item.submenu);
        }
    };
    walk(view.menuPane);
    EXPECT_EQ(rows, 30);  // 17 in the menu, 13 in the format submenu

    for (int i = 0; i < kToolButtonCount; ++i)
        EXPECT_TRUE(Shows(labelFont, ToolButtonLabel(i))) << i;
    EXPECT_TRUE(Shows(labelFont, L"1280 x 800"));
    EXPECT_TRUE(Shows(labelFont, L"「 img0000.png 」を保存しました．"));

    // The layout stands on the 12-pixel cell.
    EXPECT_EQ(view.menuPane.ItemHeight(), kMenuMargin + 12);
    Size extent;
    ASSERT_TRUE(view.Measurer().Measure(L"画像フォーマット", &extent));
    EXPECT_EQ(extent.height, 12);
    // Wine's DejaVu Sans Mono rounds to 11 pixels; the cell keeps 12.
    LOGFONTW spec{};
    InitFontSpec(spec, L"DejaVu Sans Mono", 12);
    HFONT rounded = CreateFontIndirectW(&spec);
    {
        GdiTextMeasurer raw(nullptr, rounded);
        ASSERT_TRUE(raw.Measure(L"Ctrl+S", &extent));
        EXPECT_EQ(extent.height, 11);
        CellMeasurer cell(std::make_unique<GdiTextMeasurer>(nullptr, rounded), 12);
        ASSERT_TRUE(cell.Measure(L"Ctrl+S", &extent));
        EXPECT_EQ(extent.height, 12);
    }
    DeleteObject(rounded);
    view.ReleaseFontAndMenu();
}

TEST_F(InterfaceFontTest, SettingsDialogControlsCarryAFontThatShowsTheirTextsAtTheTemplatesSize) {
    Cp932Converter converter;
    SettingsDialog dialog(nullptr, converter);
    dialog.Load(Settings{});
    HWND window =
        CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_SETTINGS), nullptr,
                           SettingsDialogProc, reinterpret_cast<LPARAM>(&dialog));
    ASSERT_NE(window, nullptr);
    HFONT templateFont = reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0));
    LOGFONTW templateSpec{};
    ASSERT_NE(GetObjectW(templateFont, sizeof templateSpec, &templateSpec), 0);

    int labelled = 0;
    for (HWND c = GetWindow(window, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
        const std::wstring text = TextOf(c);
        HFONT font = reinterpret_cast<HFONT>(SendMessageW(c, WM_GETFONT, 0, 0));
        if (text.empty()) continue;  // the frame standing for the screen
        ++labelled;
        EXPECT_TRUE(Shows(font, text)) << text;
        LOGFONTW spec{};
        ASSERT_NE(GetObjectW(font, sizeof spec, &spec), 0);
        EXPECT_EQ(spec.lfHeight, templateSpec.lfHeight) << text;
        // Where the template's font shows the texts it stays.
        EXPECT_EQ(std::wstring(spec.lfFaceName),
                  PlainPrefix() ? InterfaceFace().face : std::wstring(templateSpec.lfFaceName))
            << text;
    }
    EXPECT_GT(labelled, 60);
    EXPECT_EQ(Shows(templateFont, *characters), !PlainPrefix());

    RECT units{0, 0, 414, 239};
    MapDialogRect(window, &units);
    RECT client{};
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, units.right);
    EXPECT_EQ(client.bottom, units.bottom);
    DestroyWindow(window);
}

// Keys posted to the box once it is up, and what was seen there.
struct BoxVisit {
    std::vector<WPARAM> keys;  // WM_KEYDOWN/UP to the focused button, in order
    std::wstring text;
    std::wstring face;
    bool textShown = false;
    std::vector<int> buttonIds;
    int focusedId = 0;
};
BoxVisit* visit = nullptr;

void CALLBACK VisitBox(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND box = FindWindowW(L"#32770", L"MORVANTE");
    if (box == nullptr) return;
    KillTimer(nullptr, timer);
    HWND text = GetDlgItem(box, 0xFFFF);
    visit->text = TextOf(text);
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(text, WM_GETFONT, 0, 0));
    visit->face = FaceOf(font);
    HDC dc = CreateCompatibleDC(nullptr);
    visit->textShown = FontShowsAll(dc, font, L"初回起動か，新しいバージョンです．");
    DeleteDC(dc);
    for (HWND c = GetWindow(box, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
        wchar_t cls[16] = {};
        GetClassNameW(c, cls, 16);
        if (std::wstring(cls) == L"Button") visit->buttonIds.push_back(GetDlgCtrlID(c));
    }
    HWND focus = GetFocus();
    visit->focusedId = GetDlgCtrlID(focus);
    for (const WPARAM key : visit->keys) {
        PostMessageW(focus, WM_KEYDOWN, key, 0);
        PostMessageW(focus, WM_KEYUP, key, 0);
    }
}

int ShowBox(UINT type, BoxVisit& seen) {
    visit = &seen;
    SetTimer(nullptr, 0, 50, VisitBox);
    return ShowOwnMessageBox(nullptr, L"初回起動か，新しいバージョンです．\n\n2 行目", L"MORVANTE",
                             type);
}

TEST_F(InterfaceFontTest, TheProgramsOwnBoxShowsTheTextAndAnswersLikeTheSystemsBox) {
    // Where the system's message font lacks the glyphs, the program's box is used.
    EXPECT_EQ(SystemMessageFontShows(L"初回起動"), !PlainPrefix());
    EXPECT_TRUE(SystemMessageFontShows(L"Save failed"));

    // Each box costs Wine two seconds, so the cases are few. OK alone: Esc answers OK.
    BoxVisit ok;
    ok.keys = {VK_ESCAPE};
    EXPECT_EQ(ShowBox(MB_OK, ok), IDOK);
    EXPECT_EQ(ok.text, L"初回起動か，新しいバージョンです．\n\n2 行目");
    EXPECT_EQ(ok.face, InterfaceFace().face);
    EXPECT_TRUE(ok.textShown);
    EXPECT_EQ(ok.buttonIds, std::vector<int>{IDOK});
    EXPECT_EQ(ok.focusedId, IDOK);

    BoxVisit cancel;
    cancel.keys = {VK_ESCAPE};
    EXPECT_EQ(ShowBox(MB_OKCANCEL | MB_ICONEXCLAMATION, cancel), IDCANCEL);
    EXPECT_EQ(cancel.buttonIds, (std::vector<int>{IDOK, IDCANCEL}));

    // Yes/No ignores Esc; Enter presses the default second button.
    BoxVisit no;
    no.keys = {VK_ESCAPE, VK_RETURN};
    EXPECT_EQ(ShowBox(MB_YESNO | MB_DEFBUTTON2, no), IDNO);
    EXPECT_EQ(no.buttonIds, (std::vector<int>{IDYES, IDNO}));
    EXPECT_EQ(no.focusedId, IDNO);
}

}  // namespace
}  // namespace mrv
