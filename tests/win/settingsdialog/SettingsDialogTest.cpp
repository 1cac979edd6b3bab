// The settings dialog under Wine: its template as compiled, the live dialog
// driven through its controls (modeless, with WM_COMMAND for the buttons), and
// the modal command end to end, driven from the owner window's queue.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "resources/resource.h"
#include "settings/SettingsDialogIds.h"
#include "settings/SettingsDialog_win.h"

namespace mrv {
namespace {

HINSTANCE Self() {
    return GetModuleHandleW(nullptr);
}

// --- The template, read back item by item (classic DIALOG layout) ----------

struct Item {
    DWORD style = 0;
    int x = 0, y = 0, cx = 0, cy = 0;
    int id = 0;
    WORD atom = 0;  // 0x80 button, 0x81 edit, 0x82 static
    std::wstring text;
};
struct Template {
    DWORD style = 0;
    int x = 0, y = 0, cx = 0, cy = 0;
    std::wstring caption, face;
    int points = 0;
    std::vector<Item> items;
};

const WORD* ReadField(const WORD* p, WORD* ordinal, std::wstring* text) {
    if (*p == 0xFFFF) {
        *ordinal = p[1];
        return p + 2;
    }
    const WORD* start = p;
    while (*p) ++p;
    text->assign(reinterpret_cast<const wchar_t*>(start), static_cast<size_t>(p - start));
    return p + 1;
}

Template LoadTemplate() {
    Template t;
    HRSRC found = FindResourceW(Self(), MAKEINTRESOURCEW(IDD_SETTINGS), RT_DIALOG);
    if (!found) return t;
    const auto* base = static_cast<const BYTE*>(LockResource(LoadResource(Self(), found)));
    DLGTEMPLATE head;
    std::memcpy(&head, base, sizeof head);
    t.style = head.style;
    t.x = head.x;
    t.y = head.y;
    t.cx = head.cx;
    t.cy = head.cy;
    WORD ordinal = 0;
    std::wstring ignored;
    const WORD* p = reinterpret_cast<const WORD*>(base + sizeof head);
    p = ReadField(p, &ordinal, &ignored);  // menu
    p = ReadField(p, &ordinal, &ignored);  // class
    p = ReadField(p, &ordinal, &t.caption);
    if (head.style & DS_SETFONT) {
        t.points = *p++;
        p = ReadField(p, &ordinal, &t.face);
    }
    for (int i = 0; i < head.cdit; ++i) {
        const uintptr_t at = (reinterpret_cast<uintptr_t>(p) + 3) & ~uintptr_t{3};
        DLGITEMTEMPLATE raw;
        std::memcpy(&raw, reinterpret_cast<const void*>(at), sizeof raw);
        Item item;
        item.style = raw.style;
        item.x = raw.x;
        item.y = raw.y;
        item.cx = raw.cx;
        item.cy = raw.cy;
        item.id = raw.id;
        p = reinterpret_cast<const WORD*>(at + sizeof raw);
        std::wstring className;
        p = ReadField(p, &item.atom, &className);
        // A generic CONTROL statement may name its class instead of using the atom.
        if (_wcsicmp(className.c_str(), L"Static") == 0) item.atom = 0x82;
        p = ReadField(p, &ordinal, &item.text);
        p = reinterpret_cast<const WORD*>(reinterpret_cast<const BYTE*>(p + 1) + *p);
        t.items.push_back(item);
    }
    return t;
}

enum Kind { kDefault, kPush, kCheck, kCheck2, kRadio, kRadioLeft, kEdit, kStatic, kGroup, kFrame };

struct Expected {
    int id;
    Kind kind;
    const wchar_t* text;
    int x, y, cx, cy;  // cx 0: the width is free
};

// clang-format off
const Expected kLayout[] = {
    {1, kDefault, L"OK", 360, 220, 50, 14},        {2, kPush, L"ｷｬﾝｾﾙ", 305, 220, 50, 14},
    {1003, kCheck, L"Bitmap(現在の設定) 保存", 10, 20, 0, 0},  {1004, kCheck, L"Bitmap(Full Color) 保存", 10, 35, 0, 0},
    {1005, kCheck, L"Bitmap(256色) 保存", 10, 50, 0, 0},      {1006, kCheck, L"PNG(現在の設定) 保存", 10, 65, 0, 0},
    {1007, kCheck, L"PNG(Full Color) 保存", 10, 80, 0, 0},    {1008, kCheck, L"PNG(256色) 保存", 10, 95, 0, 0},
    {1009, kCheck, L"JPEG(現在の設定) 保存", 10, 110, 0, 0},  {1010, kCheck, L"JPEG(高画質) 保存", 10, 125, 0, 0},
    {1011, kCheck, L"JPEG(標準) 保存", 10, 140, 0, 0},        {1012, kCheck, L"JPEG(中画質) 保存", 10, 155, 0, 0},
    {1013, kCheck, L"JPEG(低画質) 保存", 10, 170, 0, 0},      {1014, kCheck, L"コピー(Full Color)", 110, 20, 0, 0},
    {1015, kCheck, L"コピー(256色)", 110, 35, 0, 0},          {1016, kCheck, L"保存先フォルダを開く", 110, 50, 0, 0},
    {1017, kCheck, L"保存した画像を開く", 110, 65, 0, 0},     {1018, kCheck, L"ウィンドウの固定", 110, 80, 0, 0},
    {1019, kCheck, L"ドローツール", 110, 95, 0, 0},           {1020, kCheck, L"設定", 110, 110, 0, 0},
    {1021, kCheck, L"最小化", 110, 125, 0, 0},                {1022, kCheck, L"終了", 110, 140, 0, 0},
    {1023, kRadioLeft, L"左上", 105, 170, 25, 10},      {1024, kRadio, L"右上", 155, 170, 25, 10},
    {1025, kRadioLeft, L"左下", 105, 212, 25, 10},      {1026, kRadio, L"右下", 155, 212, 25, 10},
    {1027, kCheck, L"ツールパネルを表示", 10, 215, 75, 10},
    {1028, kEdit, L"高画質", 245, 171, 30, 12},         {1029, kEdit, L"標準", 245, 185, 30, 12},
    {1030, kEdit, L"中画質", 245, 201, 30, 12},         {1031, kEdit, L"低画質", 245, 215, 30, 12},
    {1032, kEdit, L"グリッドサイズ(2-99)", 375, 103, 30, 12},
    {1033, kEdit, L"拡大表示範囲(3-99)", 375, 20, 30, 12},
    {1034, kEdit, L"拡大表示倍率(1-8)", 375, 38, 30, 12},
    {1035, kCheck2, L"拡大表示を選択範囲の角に\nスナップさせる", 310, 58, 95, 20},
    {1036, kCheck, L"コピー後に最小化する", 310, 120, 81, 10},
    {1037, kEdit, L"現在の保存番号", 265, 20, 30, 12},  {1038, kEdit, L"番号の桁数(1-8)", 265, 37, 30, 12},
    {1039, kEdit, L"連番保存名", 265, 55, 30, 12},      {1040, kEdit, L"保存フォルダ", 245, 74, 40, 12},
    {1041, kPush, L"...", 285, 74, 10, 11},             {1042, kCheck, L"影を描画する", 310, 160, 55, 10},
    {1043, kCheck2, L"連番保存で既存ファイルを\n上書きする", 200, 95, 95, 20},
    {1044, kCheck, L"起動時に連番をリセット", 200, 120, 95, 10},
    {1045, kCheck2, L"範囲外ダブルクリックで\n自動的に範囲選択", 310, 135, 85, 20},
    {1046, kStatic, L"VER_0_00", 360, 190, 29, 8},
    {0xFFFF, kGroup, L"ツールパネル", 5, 5, 185, 230},  {0xFFFF, kGroup, L"位置", 101, 155, 85, 75},
    {0xFFFF, kGroup, L"ファイル保存", 195, 5, 105, 230},
    {0xFFFF, kGroup, L"JPEG画質値(0-100)", 200, 155, 95, 75},
    {0xFFFF, kGroup, L"拡大表示", 305, 5, 105, 80},
    {0xFFFF, kGroup, L"範囲選択，メッセージ，その他", 305, 91, 105, 84},
    {0xFFFF, kFrame, L"", 125, 180, 35, 30},            {0xFFFF, kStatic, L"MORVANTE", 320, 190, 35, 8},
};
// clang-format on

// Window class atom, then the style bits that must be set and those that
// must be clear, per kind.
struct KindSpec {
    WORD atom;
    DWORD type;  // the low five style bits
    DWORD set, clear;
};
const KindSpec kKinds[] = {
    {0x80, BS_DEFPUSHBUTTON, 0, 0},
    {0x80, BS_PUSHBUTTON, 0, 0},
    {0x80, BS_AUTOCHECKBOX, 0, BS_MULTILINE},
    {0x80, BS_AUTOCHECKBOX, BS_MULTILINE, 0},
    {0x80, BS_AUTORADIOBUTTON, 0, BS_LEFTTEXT},
    {0x80, BS_AUTORADIOBUTTON, BS_LEFTTEXT, 0},
    {0x81, 0, WS_BORDER | ES_AUTOHSCROLL, ES_NUMBER | ES_MULTILINE},
    {0x82, SS_LEFT, 0, 0},
    {0x80, BS_GROUPBOX, 0, 0},
    {0x82, SS_BLACKFRAME, 0, 0},
};

bool Matches(const Item& item, const Expected& e) {
    const KindSpec& k = kKinds[e.kind];
    return item.atom == k.atom && (item.style & 0x1F) == k.type && (item.style & k.set) == k.set &&
           (item.style & k.clear) == 0 && (e.kind == kEdit || item.text == e.text) &&
           item.id == e.id && item.x == e.x && item.y == e.y &&
           (e.cx == 0 || (item.cx == e.cx && item.cy == e.cy));
}

TEST(SettingsDialogTemplate, MatchesTheLayout) {
    const Template t = LoadTemplate();
    EXPECT_EQ(t.style & ~DS_SETFONT, DWORD{WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME});
    EXPECT_EQ(t.caption, L"設定");
    EXPECT_EQ(t.points, 9);
    EXPECT_EQ(t.face, L"ＭＳ Ｐゴシック");
    EXPECT_EQ((std::vector<int>{t.x, t.y, t.cx, t.cy}), (std::vector<int>{0, 0, 414, 239}));

    for (const Expected& e : kLayout) {
        int found = 0;
        for (const Item& item : t.items) found += Matches(item, e);
        EXPECT_EQ(found, 1) << e.id << " " << static_cast<int>(e.kind) << " at " << e.x << ","
                            << e.y;
        if (e.kind != kEdit) continue;
        // The edit's label stands to its left, on its line.
        int labels = 0;
        for (const Item& item : t.items) {
            labels += item.atom == 0x82 && item.text == e.text && item.x + item.cx <= e.x &&
                      item.x >= e.x - 70 && item.y < e.y + e.cy && item.y + item.cy > e.y;
        }
        EXPECT_EQ(labels, 1) << e.id;
    }
    int disabled = 0;
    for (const Item& item : t.items) disabled += (item.style & WS_DISABLED) ? item.id : 0;
    EXPECT_EQ(disabled, IDC_TOOL_CHECK_DRAW);  // the only disabled control
}

// --- The live dialog ------------------------------------------------------

class TestDialog final : public SettingsDialog {
public:
    TestDialog() : SettingsDialog(nullptr, converter) {}
    Cp932Converter converter;
    std::vector<std::wstring> messages;
    std::vector<std::wstring> browseStarts;
    std::wstring browseAnswer;  // empty: the browser is cancelled

protected:
    void ShowMessage(const std::wstring& text) override { messages.push_back(text); }
    int Browse(const std::wstring& start, std::wstring* result) override {
        browseStarts.push_back(start);
        if (browseAnswer.empty()) return 2;
        *result = browseAnswer;
        return 1;
    }
};

class LiveDialog : public ::testing::Test {
protected:
    void Open(const Settings& settings) {
        dialog.Load(settings);
        window = CreateDialogParamW(Self(), MAKEINTRESOURCEW(IDD_SETTINGS), nullptr,
                                    SettingsDialogProc, reinterpret_cast<LPARAM>(&dialog));
        ASSERT_NE(window, nullptr);
    }
    void TearDown() override {
        if (window) DestroyWindow(window);
    }
    void Type(int id, const wchar_t* text) { SetDlgItemTextW(window, id, text); }
    std::wstring Shown(int id) {
        wchar_t text[512] = {};
        GetDlgItemTextW(window, id, text, 512);
        return text;
    }
    void Press(int id) { SendMessageW(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }
    // Confirms and, as the command does after OK, writes the copy back.
    Settings Confirm(Settings target) {
        Press(IDOK);
        EXPECT_EQ(dialog.Result(), IDOK);
        EXPECT_EQ(dialog.Store(target), FormRefusal::kNone);
        return target;
    }

    Settings record = [] {
        Settings s;
        ResetSettings(s, "C:\\app\\");
        return s;
    }();
    TestDialog dialog;
    HWND window = nullptr;
};

TEST_F(LiveDialog, ShowsTheRecordInEveryControl) {
    record.gridSize = 16;
    record.zoomRadius = 7;
    std::strcpy(record.saveFolder, "D:\\\x83\x5C\\");  // "D:\ソ\": 0x5C inside a character
    Open(record);
    for (const Expected& e : kLayout) {
        if (e.id == 0xFFFF) continue;
        ASSERT_NE(GetDlgItem(window, e.id), nullptr) << e.id;
        if (e.kind != kEdit && e.id != IDC_VERSION_TEXT) {
            EXPECT_EQ(Shown(e.id), e.text);
        }
    }
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(window, IDC_TOOL_CHECK_DRAW)));
    EXPECT_EQ(Shown(IDC_VERSION_TEXT), L"ver_0_87");
    EXPECT_EQ(Shown(IDC_GRID_SIZE), L"16");
    EXPECT_EQ(Shown(IDC_ZOOM_WIDTH), L"15");
    EXPECT_EQ(Shown(IDC_BASE_NAME), L"img");
    EXPECT_EQ(Shown(IDC_SAVE_FOLDER), L"D:\\\x30BD");
    EXPECT_EQ(IsDlgButtonChecked(window, IDC_CORNER_BELOW_LEFT), BST_CHECKED);
    EXPECT_EQ(IsDlgButtonChecked(window, IDC_TOOL_CHECK_FIRST + 13), BST_CHECKED);
    EXPECT_EQ(IsDlgButtonChecked(window, IDC_TOOL_CHECK_FIRST + 14), BST_UNCHECKED);
    // Untouched, OK gives back the very same bytes.
    EXPECT_EQ(EncodeSettings(Confirm(record)), EncodeSettings(record));
}

TEST_F(LiveDialog, OkClampsAndTakesTheBrowsedFolder) {
    Open(record);
    Type(IDC_SAVE_FOLDER, L"typed by hand");
    dialog.browseAnswer = L"E:\\chosen\\";
    Press(IDC_BROWSE_FOLDER);
    EXPECT_EQ(dialog.browseStarts, std::vector<std::wstring>{L"C:\\app"});
    EXPECT_EQ(Shown(IDC_SAVE_FOLDER), L"E:\\chosen");
    Type(IDC_GRID_SIZE, L"0");
    Type(IDC_ZOOM_WIDTH, L"100");
    Type(IDC_NUMBER_DIGITS, L"2");
    Type(IDC_BASE_NAME, L"画面");
    CheckRadioButton(window, IDC_CORNER_ABOVE_LEFT, IDC_CORNER_BELOW_RIGHT, IDC_CORNER_ABOVE_RIGHT);
    const Settings out = Confirm(record);
    EXPECT_EQ(dialog.Window(), nullptr);
    EXPECT_EQ(out.gridSize, 2);
    EXPECT_EQ(out.zoomRadius, 49);
    EXPECT_EQ(out.numberDigits, 2);
    EXPECT_EQ(out.toolPanelCorner, kCornerAboveRight);
    EXPECT_STREQ(out.baseName, "\x89\xE6\x96\xCA");
    EXPECT_STREQ(out.saveFolder, "E:\\chosen\\");
}

TEST_F(LiveDialog, CancelAndCloseLeaveNothingToStore) {
    for (UINT how : {UINT{WM_COMMAND}, UINT{WM_CLOSE}}) {
        TestDialog other;
        HWND w = CreateDialogParamW(Self(), MAKEINTRESOURCEW(IDD_SETTINGS), nullptr,
                                    SettingsDialogProc, reinterpret_cast<LPARAM>(&other));
        ASSERT_NE(w, nullptr);
        other.browseAnswer = L"E:\\elsewhere";
        SendMessageW(w, WM_COMMAND, IDC_BROWSE_FOLDER, 0);
        SetDlgItemTextW(w, IDC_GRID_SIZE, L"50");
        SendMessageW(w, how, how == WM_COMMAND ? IDCANCEL : 0, 0);
        EXPECT_EQ(other.Result(), IDCANCEL);
        EXPECT_EQ(other.Window(), nullptr);
        EXPECT_TRUE(other.messages.empty());
        DestroyWindow(w);
    }
}

TEST_F(LiveDialog, TextTooLongForTheRecordIsRefusedAndTheDialogStays) {
    Open(record);
    ShowWindow(window, SW_SHOW);
    // 51 kanji are 102 bytes in code page 932: one character too many.
    Type(IDC_BASE_NAME, std::wstring(51, L'\x753B').c_str());
    Press(IDOK);
    EXPECT_EQ(dialog.Result(), 0);
    EXPECT_EQ(dialog.Window(), window);
    ASSERT_EQ(dialog.messages.size(), 1u);
    EXPECT_EQ(dialog.messages[0], RefusalMessage(FormRefusal::kBaseNameTooLong));
    EXPECT_EQ(GetFocus(), GetDlgItem(window, IDC_BASE_NAME));

    Type(IDC_BASE_NAME, L"caf\x00E9");  // no code page 932 form
    Press(IDOK);
    EXPECT_EQ(dialog.Result(), 0);
    Type(IDC_BASE_NAME, L"img");
    Type(IDC_SAVE_FOLDER, (L"C:\\" + std::wstring(256, L'x')).c_str());  // 259 bytes
    Press(IDOK);
    EXPECT_EQ(dialog.Result(), 0);
    ASSERT_EQ(dialog.messages.size(), 3u);
    EXPECT_EQ(dialog.messages[2], RefusalMessage(FormRefusal::kSaveFolderTooLong));

    Type(IDC_BASE_NAME, std::wstring(50, L'\x753B').c_str());
    Type(IDC_SAVE_FOLDER, (L"C:\\" + std::wstring(255, L'x') + L"\\").c_str());
    const Settings out = Confirm(record);
    EXPECT_EQ(std::strlen(out.baseName), 100u);
    EXPECT_EQ(std::strlen(out.saveFolder), 259u);
}

// --- The modal command, driven from the owner's queue ----------------------

// Messages posted to the owner are dispatched by whichever modal loop is
// running, so each step finds the window that loop belongs to and acts on it.
constexpr UINT kPressInDialog = WM_APP + 1;  // wParam: the button to press
constexpr UINT kReadMessageBox = WM_APP + 2;

HWND FindDialogTitled(const wchar_t* title) {
    struct Search {
        const wchar_t* title;
        HWND found;
    } search{title, nullptr};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND w, LPARAM p) -> BOOL {
            auto* s = reinterpret_cast<Search*>(p);
            wchar_t text[64] = {}, cls[16] = {};
            GetWindowTextW(w, text, 64);
            GetClassNameW(w, cls, 16);
            if (std::wstring(cls) == L"#32770" && s->title == std::wstring(text)) s->found = w;
            return s->found == nullptr;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::wstring boxText;  // the longest static text of the last message box read

LRESULT CALLBACK OwnerProc(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kPressInDialog) {
        if (HWND dialog = FindDialogTitled(L"設定")) {
            SetDlgItemTextW(dialog, IDC_GRID_SIZE, L"0");
            SetDlgItemTextW(dialog, IDC_SAVE_FOLDER, L"D:\\nope");
            SendMessageW(dialog, WM_COMMAND, wParam, 0);
        }
        return 0;
    }
    if (message == kReadMessageBox) {
        if (HWND box = FindDialogTitled(L"MORVANTE")) {
            EnumChildWindows(
                box,
                [](HWND child, LPARAM) -> BOOL {
                    wchar_t text[256] = {}, cls[16] = {};
                    GetClassNameW(child, cls, 16);
                    GetWindowTextW(child, text, 256);
                    if (_wcsicmp(cls, L"Static") == 0 && wcslen(text) > boxText.size())
                        boxText = text;
                    return TRUE;
                },
                0);
            SendMessageW(box, WM_COMMAND, IDOK, 0);
        }
        return 0;
    }
    return DefWindowProcW(w, message, wParam, lParam);
}

TEST(SettingsCommand, RunsTheDialogModallyAndReportsAMissingFolder) {
    WNDCLASSW cls{};
    cls.lpfnWndProc = OwnerProc;
    cls.hInstance = Self();
    cls.lpszClassName = L"SettingsDialogTestOwner";
    RegisterClassW(&cls);
    HWND owner = CreateWindowExW(0, cls.lpszClassName, L"", WS_OVERLAPPED, 0, 0, 100, 100, nullptr,
                                 nullptr, Self(), nullptr);
    ASSERT_NE(owner, nullptr);

    for (int button : {IDCANCEL, IDOK}) {
        Settings record;
        ResetSettings(record, "C:\\app\\");
        const std::vector<uint8_t> before = EncodeSettings(record);
        std::string calls;
        SettingsDialogHooks hooks;
        hooks.beforeOpen = [&] {
            calls += "open ";
            PostMessageW(owner, kPressInDialog, button, 0);
        };
        hooks.applied = [&] {
            calls += "applied ";
            EXPECT_EQ(record.gridSize, 2);
            EXPECT_STREQ(record.saveFolder, "D:\\nope\\");
            std::strcpy(record.saveFolder, "C:\\app\\");  // what attaching does
            PostMessageW(owner, kReadMessageBox, 0, 0);
            return false;
        };
        hooks.afterClose = [&] { calls += "closed"; };
        boxText.clear();

        EXPECT_EQ(RunSettingsDialog(owner, Self(), record, hooks), button);
        if (button == IDCANCEL) {
            EXPECT_EQ(calls, "open closed");
            EXPECT_EQ(EncodeSettings(record), before);
        } else {
            EXPECT_EQ(calls, "open applied closed");
            EXPECT_EQ(boxText,
                      L"「D:\\nope\\」\nが存在しません．\n「C:"
                      L"\\app\\」\nを保存ディレクトリに設定します．");
        }
    }
    DestroyWindow(owner);
}

}  // namespace
}  // namespace mrv
