// The global hotkey under Wine, with a capture window of its own (the key is
// registered when the window is made and released when the program ends).
// Another window of this process stands for the program that holds a key;
// WM_HOTKEY is sent as the system would post it (the real key press is the
// end-to-end test's). A fresh capture shows as a marker pixel, painted into
// the snapshot, being gone.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <filesystem>

#include "capture/CaptureWindow.h"
#include "resources/resource.h"
#include "settings/Hotkey.h"

namespace mrv {
namespace {

namespace fs = std::filesystem;

void Pump() {
    for (MSG m; PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE);) DispatchMessageW(&m);
}

class GlobalHotkeyTest : public ::testing::Test {
protected:
    void TearDown() override {
        DestroyWindow(other);
        if (app.window) DestroyWindow(app.window);
        fs::current_path(start);  // attaching the save folder entered it
        fs::remove_all(folder);
    }
    // Whether the other program could take the key now (it lets it go again).
    bool KeyFree(UINT modifiers, UINT key) {
        if (!RegisterHotKey(other, 99, modifiers, key)) return false;
        UnregisterHotKey(other, 99);
        return true;
    }
    std::uint8_t* SnapshotPixel() {
        return const_cast<std::uint8_t*>(app.view.SnapshotPixels().Row(5)) + 4 * 5;
    }
    // An odd colour no screen of the test shows, in the snapshot only.
    void MarkSnapshot() { std::memcpy(SnapshotPixel(), kMarker, 3); }
    bool SnapshotMarked() { return std::memcmp(SnapshotPixel(), kMarker, 3) == 0; }
    void Hotkey() {
        SendMessageW(app.window, WM_HOTKEY, CaptureWindow::kHotkeyId, MAKELPARAM(0, VK_SNAPSHOT));
        Pump();
    }
    bool FullScreen() {
        return app.frameInterval != 0 && IsWindowVisible(app.window) && !IsIconic(app.window);
    }
    bool LabelShows(const SettingsExtension& hotkey) {
        return app.view.secondLabel.IsVisible() &&
               app.view.secondLabel.Text() == HotkeyUnavailableMessage(hotkey);
    }

    HWND other =
        CreateWindowW(L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    fs::path folder =
        fs::temp_directory_path() / ("mrv-hotkey-" + std::to_string(GetCurrentProcessId()));
    fs::path start = fs::current_path();
    CaptureWindow app;
    static constexpr std::uint8_t kMarker[3] = {0x12, 0x34, 0x56};
};

TEST_F(GlobalHotkeyTest, RegisteredReleasedSaidOnceWhenTakenAndRestoresOnlyFromAway) {
    const SettingsExtension printScreen{VK_SNAPSHOT, 0};
    const SettingsExtension ctrlShiftF9{VK_F9, MOD_CONTROL | MOD_SHIFT};
    // Another program holds Print Screen: the start goes on without it.
    ASSERT_TRUE(RegisterHotKey(other, 1, 0, VK_SNAPSHOT));
    fs::create_directories(folder);
    app.instance = GetModuleHandleW(nullptr);
    app.exeDirectory = folder.wstring() + L"\\";
    ASSERT_TRUE(app.OnInit() && RegisterWindowClass(app));
    app.firstRun = 0;
    ASSERT_EQ(app.settings.extension, printScreen) << "the default";
    CreateMainWindow(app);
    ASSERT_NE(app.window, nullptr);
    EXPECT_FALSE(app.HotkeyRegistered());
    EXPECT_FALSE(app.view.secondLabel.IsVisible()) << "not before the first capture";
    ShowWindow(app.window, SW_RESTORE);
    Pump();
    ASSERT_TRUE(FullScreen());
    EXPECT_TRUE(LabelShows(printScreen));
    // Once: the next capture says nothing, nor does the same setting again.
    app.view.secondLabel.SetVisible(false);
    app.MinimizeWindow();
    Pump();
    app.RestoreFullScreen();
    EXPECT_FALSE(app.view.secondLabel.IsVisible());
    UnregisterHotKey(other, 1);
    app.HotkeySettingApplied();
    EXPECT_FALSE(app.HotkeyRegistered()) << "tried again only when the setting changes";

    // A changed setting is registered at once; the old key is free.
    app.settings.extension = ctrlShiftF9;
    app.HotkeySettingApplied();
    EXPECT_TRUE(app.HotkeyRegistered());
    EXPECT_FALSE(KeyFree(MOD_CONTROL | MOD_SHIFT, VK_F9));
    EXPECT_TRUE(KeyFree(0, VK_SNAPSHOT));
    EXPECT_FALSE(app.view.secondLabel.IsVisible());
    // Taken by someone else when it changes: said at once, over the window.
    ASSERT_TRUE(RegisterHotKey(other, 2, MOD_ALT, 'P'));
    app.settings.extension = {'P', MOD_ALT};
    app.HotkeySettingApplied();
    EXPECT_FALSE(app.HotkeyRegistered());
    EXPECT_TRUE(LabelShows({'P', MOD_ALT}));
    EXPECT_TRUE(KeyFree(MOD_CONTROL | MOD_SHIFT, VK_F9)) << "the previous key was let go";
    UnregisterHotKey(other, 2);
    app.settings.extension = {kHotkeyNone, 0};
    app.HotkeySettingApplied();
    EXPECT_FALSE(app.HotkeyRegistered());
    app.settings.extension = ctrlShiftF9;
    app.HotkeySettingApplied();
    ASSERT_TRUE(app.HotkeyRegistered());

    // Full-screen, the key changes nothing: no new snapshot.
    MarkSnapshot();
    Hotkey();
    EXPECT_TRUE(FullScreen() && SnapshotMarked());
    // Minimised, or hidden in the tray: a fresh snapshot, full-screen again.
    for (const int tray : {0, 1}) {
        app.settings.inTaskTray = tray;
        app.MinimizeWindow();
        Pump();
        ASSERT_FALSE(FullScreen()) << tray;
        MarkSnapshot();
        Hotkey();
        EXPECT_TRUE(FullScreen()) << tray;
        EXPECT_FALSE(SnapshotMarked()) << tray;
    }
    app.settings.inTaskTray = 0;
    // Pinned: nothing either.
    app.view.selection.left = 100, app.view.selection.top = 100;
    app.view.selection.width = 50, app.view.selection.height = 40;
    app.OnCommand(IDM_PIN_WINDOW);
    MarkSnapshot();
    Hotkey();
    EXPECT_TRUE(app.pinned && app.view.pinnedMode && SnapshotMarked());

    // The end of the program lets the key go.
    EXPECT_FALSE(KeyFree(MOD_CONTROL | MOD_SHIFT, VK_F9));
    app.OnShutdown();
    EXPECT_TRUE(KeyFree(MOD_CONTROL | MOD_SHIFT, VK_F9));
}

}  // namespace
}  // namespace mrv
