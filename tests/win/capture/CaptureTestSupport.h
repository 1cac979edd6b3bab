// A capture window in the test process: set up from a scratch folder (its
// settings file and saved images land there), with the program's resources
// compiled into the test, message boxes and the Save As dialog answered by
// stand-ins, and a known picture in the snapshot.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "capture/CaptureWindow.h"
#include "resources/resource.h"
#include "settings/Settings.h"

namespace mrv::test {

// A fresh folder under the temporary directory (its path ends with "\"),
// removed with everything in it.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::wstring& Path() const { return path_; }
    std::wstring operator/(const std::wstring& name) const { return path_ + name; }
    std::vector<std::wstring> Names() const;  // the files in it, sorted

private:
    std::wstring path_;
};

std::vector<std::uint8_t> ReadBytes(const std::wstring& path);
bool WriteBytes(const std::wstring& path, const std::string& bytes);

// What a PNG file's IHDR says; ok when the signature and IHDR are there.
struct PngHeader {
    bool ok = false;
    int width = 0, height = 0, depth = 0, colourType = 0;
};
PngHeader ReadPngHeader(const std::vector<std::uint8_t>& file);

// The known picture: a different colour in nearly every pixel.
Colour PictureColour(int x, int y);

// One message box as the stand-in saw it, with the window's state while it
// was open.
struct ShownMessage {
    HWND owner = nullptr;
    std::wstring text;
    std::wstring caption;
    UINT type = 0;
    int modalOpen = 0;
    bool topmost = false;
};

class CaptureWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t cwd[MAX_PATH];
        GetCurrentDirectoryW(MAX_PATH, cwd);
        startDirectory_ = cwd;
        Start();
    }
    void TearDown() override {
        Stop();
        // The save folder was the current directory; give it back so the
        // scratch folder can go.
        SetCurrentDirectoryW(startDirectory_.c_str());
    }

    // A program that has run before in the scratch folder: its settings
    // file holds the defaults (unless the test removed it or a Stop wrote
    // another), so no first-run message comes. OnInit, the window, a known
    // picture in the snapshot; then the window is shown as at start-up, and
    // its first activation makes it full-screen and topmost.
    void Start(bool writeSettings = true) {
        if (writeSettings &&
            GetFileAttributesW(SettingsPath().c_str()) == INVALID_FILE_ATTRIBUTES) {
            // The scratch path is plain ASCII: the same bytes in UTF-8 and
            // code page 932.
            const std::string path(folder.Path().begin(), folder.Path().end());
            Settings defaults;
            ResetSettings(defaults, path);
            ASSERT_EQ(SaveSettingsFile(SettingsFilePath(path), defaults), 1);
        }
        app = std::make_unique<CaptureWindow>();
        app->instance = GetModuleHandleW(nullptr);
        app->exeDirectory = folder.Path();
        app->SetMessageBoxFunction(
            [this](HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) {
                messages.push_back({owner, text, caption, type, app->modalOpen, IsTopmost()});
                return IDOK;
            });
        app->saveTarget.SetSaveDialogFunction([](OPENFILENAMEW&) {
            ADD_FAILURE() << "no Save As dialog expected";
            return SaveDialogResult::kCancelled;
        });
        ASSERT_EQ(app->OnInit(), 1);
        ASSERT_TRUE(RegisterWindowClass(*app));
        CreateMainWindow(*app);
        ASSERT_NE(app->window, nullptr);
        PaintPicture();
        ShowWindow(app->window, SW_SHOW);
        Pump();
    }
    std::wstring SettingsPath() const { return folder / L"mrv_setting.bin"; }
    // What the saves left in the folder: everything but the settings file.
    std::vector<std::wstring> Images() const {
        std::vector<std::wstring> names = folder.Names();
        names.erase(std::remove(names.begin(), names.end(), L"mrv_setting.bin"), names.end());
        return names;
    }
    // Shutdown as the program ends: settings written, tray icon removed.
    void Stop() {
        if (!app) return;
        app->OnShutdown();
        Close();
    }
    // The window goes and the object with it (after OnShutdown).
    void Close() {
        if (!app) return;
        if (app->window) DestroyWindow(app->window);
        Pump();  // and the WM_QUIT of WM_DESTROY with it
        app.reset();
    }

    // Handles what is queued, as the main loop would (a posted WM_KILLFOCUS,
    // the activation of a window just shown).
    static void Pump() {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }

    // The snapshot holds PictureColour; a new snapshot of the display
    // replaces it, which is how a test sees that one was taken.
    void PaintPicture() {
        DIBSECTION dib{};
        ASSERT_EQ(GetObjectW(app->view.ScreenBitmap(), sizeof(dib), &dib), int{sizeof(dib)});
        auto* bits = static_cast<std::uint32_t*>(dib.dsBm.bmBits);
        GdiFlush();
        const int w = app->view.ScreenWidth();
        for (int y = 0; y < app->view.ScreenHeight(); ++y)
            for (int x = 0; x < w; ++x) {
                const Colour c = PictureColour(x, y);
                bits[y * w + x] = ColourR(c) << 16 | ColourG(c) << 8 | ColourB(c);
            }
    }
    bool PictureIntact() const {
        const imaging::PixelView v = app->view.SnapshotPixels();
        GdiFlush();
        for (int y = 0; y < 40; y += 13)
            for (int x = 0; x < 40; x += 7) {
                const std::uint8_t* p = v.data + y * v.stride + x * 4;
                if (MakeColour(p[2], p[1], p[0]) != PictureColour(x, y)) return false;
            }
        return true;
    }

    void Select(int left, int top, int width, int height) {
        Selection& s = app->view.selection;
        s.left = left;
        s.top = top;
        s.width = width;
        s.height = height;
    }
    void Command(int id) { app->OnCommand(static_cast<WPARAM>(id)); }

    bool IsTopmost() const {
        return (GetWindowLongW(app->window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    }
    // The mark of `id` in the Win32 menu; the painted menu must agree.
    bool Marked(int id) const {
        const MenuItem* item = app->view.menuPane.FindItem(id);
        const UINT state = GetMenuState(app->view.menu, static_cast<UINT>(id), MF_BYCOMMAND);
        EXPECT_NE(item, nullptr) << id;
        EXPECT_NE(state, static_cast<UINT>(-1)) << id;
        const bool win32 = state != static_cast<UINT>(-1) && (state & MF_CHECKED) != 0;
        EXPECT_EQ(item != nullptr && item->checked, win32) << "painted and Win32 mark of " << id;
        return win32;
    }
    // NIM_MODIFY succeeds only for an icon that is there.
    bool TrayIconShown() const {
        NOTIFYICONDATAW data = app->trayIconData;
        return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
    }

    ScratchFolder folder;
    std::unique_ptr<CaptureWindow> app;
    std::vector<ShownMessage> messages;

private:
    std::wstring startDirectory_;
};

}  // namespace mrv::test
