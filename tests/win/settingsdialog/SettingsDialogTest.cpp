// The settings dialog under Wine: every control of its template, the record
// shown and read back through code page 932, refusals at the exact byte
// limits, and the modal command, where OK stores (reporting a missing folder)
// and Cancel changes nothing.
#include <windows.h>
// After <windows.h>, which it needs.
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstring>
#include <cwchar>
#include <functional>
#include <string>
#include <vector>

#include "resources/resource.h"
#include "settings/SettingsDialogIds.h"
#include "settings/SettingsDialog_win.h"

namespace mrv {
namespace {

// A wide text for a test's failure message.
std::string Utf8(const wchar_t* text) {
    char out[256] = {};
    WideCharToMultiByte(CP_UTF8, 0, text, -1, out, sizeof out - 1, nullptr, nullptr);
    return out;
}

std::wstring TextOf(HWND window, int id) {
    wchar_t text[512] = {};
    GetDlgItemTextW(window, id, text, 512);
    return text;
}

// Refusals recorded instead of shown.
class TestDialog final : public SettingsDialog {
public:
    TestDialog() : SettingsDialog(nullptr, converter) {}
    Cp932Converter converter;
    std::vector<std::wstring> messages;

protected:
    void ShowMessage(const std::wstring& text) override { messages.push_back(text); }
};

// The dialog opened (modeless) over `record`.
class SettingsDialogTest : public ::testing::Test {
protected:
    void Open() {
        dialog.Load(record);
        window = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_SETTINGS),
                                    nullptr, SettingsDialogProc, reinterpret_cast<LPARAM>(&dialog));
        ASSERT_NE(window, nullptr);
    }
    void TearDown() override { DestroyWindow(window); }
    void Type(int id, const std::wstring& text) { SetDlgItemTextW(window, id, text.c_str()); }
    void Press(int id) { SendMessageW(window, WM_COMMAND, static_cast<WPARAM>(id), 0); }
    // OK, and the dialog's copy stored as the command does then.
    Settings Confirm() {
        Press(IDOK);
        Settings out = record;
        EXPECT_EQ(dialog.Result(), IDOK);
        EXPECT_EQ(dialog.Store(out), FormRefusal::kNone);
        return out;
    }

    Settings record;
    TestDialog dialog;
    HWND window = nullptr;
};

TEST_F(SettingsDialogTest, EveryControlShowsTheRecordAndOkGivesTheSameBytesBack) {
    record.zoomRadius = 7;
    std::strcpy(record.saveFolder, "D:\\\x83\x5C\\");  // "D:\ソ\": 0x5C inside a character
    Open();
    record.frameForeColor = 0x123456;  // changed while the dialog is open: OK keeps it
    for (int id = IDC_TOOL_CHECK_FIRST; id <= IDC_VERSION_TEXT; ++id)
        EXPECT_NE(GetDlgItem(window, id), nullptr) << id;
    EXPECT_EQ(TextOf(window, IDC_ZOOM_WIDTH), L"15");
    EXPECT_EQ(TextOf(window, IDC_SAVE_FOLDER), L"D:\\\x30BD");
    EXPECT_EQ(EncodeSettings(Confirm()), EncodeSettings(record));
}

// Every one-line label shows whole in the dialog's font: the program name
// and the version as well as the labels of the edits.
TEST_F(SettingsDialogTest, OneLineLabelsShowWhole) {
    Open();
    std::vector<HWND> labels;
    EnumChildWindows(
        window,
        [](HWND child, LPARAM list) {
            wchar_t kind[16] = {};
            GetClassNameW(child, kind, 16);
            const LONG style = GetWindowLongW(child, GWL_STYLE);
            if (_wcsicmp(kind, L"Static") == 0 && (style & SS_TYPEMASK) == SS_LEFT)
                reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&labels));
    bool programName = false;
    for (HWND label : labels) {
        wchar_t text[128] = {};
        GetWindowTextW(label, text, 128);
        programName = programName || std::wcscmp(text, L"MORVANTE") == 0;
        RECT client{};
        GetClientRect(label, &client);
        HDC dc = GetDC(label);
        HGDIOBJ old =
            SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0)));
        SIZE extent{};
        GetTextExtentPoint32W(dc, text, static_cast<int>(std::wcslen(text)), &extent);
        SelectObject(dc, old);
        ReleaseDC(label, dc);
        EXPECT_LE(extent.cx, client.right) << Utf8(text);
    }
    EXPECT_TRUE(programName);
}

// Run at 96 dpi by ctest and again by scripts/test on desktops at 150 % and
// 200 %, where the dialog grows with its font: no control reaches out of it
// and the dialog fits on a screen of that scale.
TEST_F(SettingsDialogTest, EveryControlLiesInsideTheDialogAndTheDialogFitsAScreenOfItsScale) {
    Open();
    RECT client{};
    GetClientRect(window, &client);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
    std::vector<HWND> controls;
    EnumChildWindows(
        window,
        [](HWND child, LPARAM list) {
            reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&controls));
    ASSERT_GT(controls.size(), 20u);
    for (HWND control : controls) {
        RECT box{};
        GetWindowRect(control, &box);
        wchar_t text[128] = {};
        GetWindowTextW(control, text, 128);
        EXPECT_TRUE(box.left >= client.left && box.top >= client.top && box.right <= client.right &&
                    box.bottom <= client.bottom)
            << GetDlgCtrlID(control) << " " << Utf8(text);
    }
    // The whole dialog fits a 1280 x 720 screen at the scale (2560 x 1440
    // at 200 %): the smallest screen a laptop sets that scale on.
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    RECT outer{};
    GetWindowRect(window, &outer);
    EXPECT_LE(outer.right - outer.left, 1280 * dpi / 96) << dpi;
    EXPECT_LE(outer.bottom - outer.top, 720 * dpi / 96) << dpi;
}

TEST_F(SettingsDialogTest, TextsBeyondTheRecordsByteLimitsOrNoFileNameAreRefusedAndTheDialogStays) {
    Open();
    // 51 kanji are 102 bytes: one character too many; a folder of 259 bytes;
    // a character code page 932 does not have; a wildcard and a device name,
    // which no file name can start with.
    const std::wstring refused[][2] = {{std::wstring(51, L'\x753B'), L"C:\\"},
                                       {L"img", L"C:\\" + std::wstring(256, L'x')},
                                       {L"caf\x00E9", L"C:\\"},
                                       {L"a*b", L"C:\\"},
                                       {L"CON", L"C:\\"}};
    for (const auto& [baseName, folder] : refused) {
        Type(IDC_BASE_NAME, baseName);
        Type(IDC_SAVE_FOLDER, folder);
        Press(IDOK);
        EXPECT_TRUE(dialog.Result() == 0 && dialog.Window() == window);
    }
    ASSERT_EQ(dialog.messages.size(), 5u);
    const SettingsForm form;
    EXPECT_EQ(dialog.messages[0], RefusalMessage(FormRefusal::kBaseNameTooLong, form));
    EXPECT_EQ(dialog.messages[1], RefusalMessage(FormRefusal::kSaveFolderTooLong, form));
    EXPECT_NE(dialog.messages[3].find(L"「*」"), std::wstring::npos) << "names the character";
    EXPECT_NE(dialog.messages[4].find(L"「CON」"), std::wstring::npos) << "names the device";
    EXPECT_EQ(GetFocus(), GetDlgItem(window, IDC_BASE_NAME));  // the last refusal's edit

    // At the limits: 100 bytes, and 258 with a separator typed by hand.
    Type(IDC_BASE_NAME, std::wstring(50, L'\x753B'));
    Type(IDC_SAVE_FOLDER, L"C:\\" + std::wstring(255, L'x') + L"\\");
    const Settings out = Confirm();
    EXPECT_EQ(std::strlen(out.baseName), 100u);
    EXPECT_EQ(std::strlen(out.saveFolder), 259u);
}

// The hotkey field: a standard hotkey control in a row of its own, showing
// the record's key and storing what is put into it, "none" included.
TEST_F(SettingsDialogTest, TheHotkeyFieldShowsAndStoresTheHotkey) {
    record.extension = {VK_F9, MOD_CONTROL | MOD_SHIFT};
    Open();
    HWND field = GetDlgItem(window, IDC_HOTKEY);
    ASSERT_NE(field, nullptr);
    wchar_t name[64] = {};
    GetClassNameW(field, name, 64);
    EXPECT_STREQ(name, HOTKEY_CLASSW);
    // Neither the field nor its label covers another control.
    RECT mine[2];
    GetWindowRect(field, &mine[0]);
    HWND label = nullptr;
    for (HWND c = GetWindow(window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        wchar_t text[16] = {};
        GetWindowTextW(c, text, 16);
        if (std::wstring(text) == L"ホットキー") label = c;
    }
    ASSERT_NE(label, nullptr);
    GetWindowRect(label, &mine[1]);
    for (HWND c = GetWindow(window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        RECT r, overlap;
        GetWindowRect(c, &r);
        for (const RECT& m : mine)
            EXPECT_TRUE(c == field || c == label || !IntersectRect(&overlap, &m, &r))
                << GetDlgCtrlID(c);
    }
    EXPECT_EQ(SendMessageW(field, HKM_GETHOTKEY, 0, 0) & 0xFFFF,
              MAKEWORD(VK_F9, HOTKEYF_CONTROL | HOTKEYF_SHIFT));
    SendMessageW(field, HKM_SETHOTKEY, MAKEWORD('P', HOTKEYF_ALT), 0);
    record = Confirm();
    EXPECT_EQ(record.extension, (SettingsExtension{'P', MOD_ALT}));

    DestroyWindow(window);
    Open();
    EXPECT_EQ(SendMessageW(GetDlgItem(window, IDC_HOTKEY), HKM_GETHOTKEY, 0, 0) & 0xFFFF,
              MAKEWORD('P', HOTKEYF_ALT));
    SendDlgItemMessageW(window, IDC_HOTKEY, HKM_SETHOTKEY, 0, 0);  // none
    EXPECT_EQ(Confirm().extension, (SettingsExtension{kHotkeyNone, 0}));
}

// The modal command is driven from its own message loop: a message posted to
// the owner before the dialog opens reaches `drive` with the dialog (or the
// message box) that is up then.
std::function<void(HWND)> drive;
LRESULT CALLBACK OwnerProc(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_APP) drive(FindWindowW(L"#32770", nullptr));
    return DefWindowProcW(w, message, wParam, lParam);
}

TEST(SettingsCommand, OkStoresAndReportsAMissingFolderAndCancelChangesNothing) {
    HWND window =
        CreateWindowW(L"Static", L"", WS_POPUP, 0, 0, 9, 9, nullptr, nullptr, nullptr, nullptr);
    SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(OwnerProc));
    for (int button : {IDCANCEL, 0, IDOK}) {  // 0: the close box
        Settings record;
        const std::vector<std::uint8_t> before = EncodeSettings(record);
        std::wstring box;
        drive = [&](HWND dialog) {
            SetDlgItemTextW(dialog, IDC_GRID_SIZE, L"0");
            SetDlgItemTextW(dialog, IDC_SAVE_FOLDER, L"D:\\nope");
            SendMessageW(dialog, button ? WM_COMMAND : WM_CLOSE, static_cast<WPARAM>(button), 0);
        };
        SettingsDialogHooks hooks;
        hooks.beforeOpen = [&] { PostMessageW(window, WM_APP, 0, 0); };
        hooks.applied = [&] {  // the record already holds what OK stored
            EXPECT_EQ(record.gridSize, 2);
            EXPECT_STREQ(record.saveFolder, "D:\\nope\\");
            std::strcpy(record.saveFolder, "C:\\app\\");  // the folder missing, replaced
            drive = [&](HWND message) {
                box = TextOf(message, 0xFFFF);
                SendMessageW(message, WM_COMMAND, IDOK, 0);
            };
            PostMessageW(window, WM_APP, 0, 0);
            return false;
        };
        EXPECT_EQ(RunSettingsDialog(window, GetModuleHandleW(nullptr), record, hooks),
                  button ? button : IDCANCEL);
        EXPECT_EQ(EncodeSettings(record) == before, button != IDOK);
        EXPECT_EQ(box, button != IDOK ? L""
                                      : L"「D:\\nope\\」\nが存在しません．\n「C:"
                                        L"\\app\\」\nを保存ディレクトリに設定します．");
    }
    DestroyWindow(window);
}

}  // namespace
}  // namespace mrv
