// The capture window under Wine, driven through its command handler. One
// window serves every case (each destroyed full-screen window costs seconds);
// SetUp puts back what a case may change. A one-colour backdrop on its own
// thread stands for the live screen.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include "capture/CaptureWindow.h"
#include "output/FileSink_win.h"
#include "resources/resource.h"

namespace mrv {
namespace {

namespace fs = std::filesystem;

constexpr COLORREF kBackdrop = RGB(12, 140, 200);
constexpr COLORREF kMarker = RGB(250, 0, 250);  // painted into the snapshot by a case
// Where a snapshot is looked at: away from the corner where Wine, without a
// task bar, shows the tray icons.
constexpr Rect kProbeArea{200, 200, 264, 264};

// A full-screen window of one colour, not topmost, with its own message loop.
class Backdrop {
public:
    Backdrop() {
        std::thread([this] {
            window_ = CreateWindowExW(0, L"Static", L"", WS_POPUP | WS_VISIBLE, 0, 0,
                                      GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                                      nullptr, nullptr, nullptr, nullptr);
            SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Paint));
            InvalidateRect(window_, nullptr, TRUE);
            threadId_ = GetCurrentThreadId();
            SetEvent(ready_);
            for (MSG m; GetMessageW(&m, nullptr, 0, 0) > 0;) DispatchMessageW(&m);
            DestroyWindow(window_);
        }).detach();
        WaitForSingleObject(ready_, INFINITE);
    }
    ~Backdrop() { PostThreadMessageW(threadId_, WM_QUIT, 0, 0); }

private:
    static LRESULT CALLBACK Paint(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message != WM_PAINT) return DefWindowProcW(w, message, wParam, lParam);
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(w, &ps);
        HBRUSH brush = CreateSolidBrush(kBackdrop);
        FillRect(dc, &ps.rcPaint, brush);
        DeleteObject(brush);
        EndPaint(w, &ps);
        return 0;
    }
    HANDLE ready_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HWND window_ = nullptr;
    DWORD threadId_ = 0;
};

class CaptureTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!app) {
            start = fs::current_path();
            folder = fs::temp_directory_path() / ("mrv-" + std::to_string(GetCurrentProcessId()));
            fs::create_directories(folder);
            backdrop = std::make_unique<Backdrop>();
            app = std::make_unique<CaptureWindow>();
            app->instance = GetModuleHandleW(nullptr);
            app->exeDirectory = folder.wstring() + L"\\";
            app->SetMessageBoxFunction([](HWND, const wchar_t* text, const wchar_t*, UINT) {
                messages.push_back(text);
                boxTopmost = IsTopmost();
                boxModal = app->modalOpen;
                return IDOK;
            });
            ASSERT_TRUE(app->OnInit() && RegisterWindowClass(*app));
            app->firstRun = 0;  // no settings file; the first-run message is not our concern
            CreateMainWindow(*app);
            ASSERT_NE(app->window, nullptr);
        }
        app->saveTarget.SetSaveDialogFunction([](OPENFILENAMEW&) {
            ADD_FAILURE() << "no Save As dialog expected";
            return SaveDialogResult::kCancelled;
        });
        ShowWindow(app->window, SW_RESTORE);  // activated: full-screen and topmost
        Pump();
        for (const fs::directory_entry& f : fs::directory_iterator(folder)) fs::remove(f.path());
        app->modalOpen = 0;  // the stand-in box never gives the focus back
        app->settings.saveNumber = 0;
        app->settings.numberDigits = Settings{}.numberDigits;
        app->view.selection.Clear();
        messages.clear();
    }
    static void TearDownTestSuite() {
        if (app) DestroyWindow(app->window);
        app.reset();
        backdrop.reset();
        fs::current_path(start);  // saving entered the folder
        fs::remove_all(folder);
    }

    static void Pump() {
        for (MSG m; PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE);) DispatchMessageW(&m);
    }
    static void Select(int left, int top, int width, int height) {
        Selection& s = app->view.selection;
        s.left = left, s.top = top, s.width = width, s.height = height;
    }
    static void Command(int id) { app->OnCommand(static_cast<WPARAM>(id)); }
    static bool IsTopmost() { return GetWindowLongW(app->window, GWL_EXSTYLE) & WS_EX_TOPMOST; }
    static auto ImageCount() { return std::distance(fs::directory_iterator(folder), {}); }
    // The mark of `id` in the Win32 menu; the painted menu must agree. A
    // missing item (state -1) can never agree.
    static bool Marked(int id) {
        const MenuItem* item = app->view.menuPane.FindItem(id);
        const bool win32 = (GetMenuState(app->view.menu, id, MF_BYCOMMAND) & MF_CHECKED) != 0;
        EXPECT_EQ(item != nullptr && item->checked, win32) << "painted and Win32 mark of " << id;
        return win32;
    }
    // NIM_MODIFY succeeds only for an icon that is there.
    static bool TrayIconShown() { return Shell_NotifyIconW(NIM_MODIFY, &app->trayIconData); }
    // Whether the window's region holds (x, y); -1 when it has none.
    static int InRegion(int x, int y) {
        HRGN r = CreateRectRgn(0, 0, 0, 0);
        const int in = GetWindowRgn(app->window, r) == ERROR ? -1 : PtInRegion(r, x, y) != 0;
        DeleteObject(r);
        return in;
    }

    // The snapshot: painted over, and read back.
    static void FillSnapshot(COLORREF colour) {
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(dc, app->view.ScreenBitmap());
        HBRUSH brush = CreateSolidBrush(colour);
        RECT all{0, 0, app->view.ScreenWidth(), app->view.ScreenHeight()};
        FillRect(dc, &all, brush);
        DeleteObject(brush);
        SelectObject(dc, old);
        DeleteDC(dc);
        GdiFlush();
    }
    // True when every snapshot pixel in `r` has `colour`.
    static bool SnapshotAllOf(const Rect& r, COLORREF colour) {
        const imaging::PixelView v = app->view.SnapshotPixels();
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) {
                const std::uint8_t* p = v.data + y * v.stride + x * 4;
                if (RGB(p[2], p[1], p[0]) != colour) return false;
            }
        return true;
    }
    // True when the clipboard holds a 24-bit or 8-bit DIB of `width` x
    // `height` pixels, all of `colour`.
    static bool ClipboardAllOf(int width, int height, COLORREF colour) {
        if (!OpenClipboard(nullptr)) return false;
        bool all = false;
        if (HANDLE h = GetClipboardData(CF_DIB)) {
            const auto* info = static_cast<const BITMAPINFOHEADER*>(GlobalLock(h));
            const int bits = info->biBitCount;
            all = (bits == 24 || bits == 8) && info->biWidth == width &&
                  std::abs(info->biHeight) == height;
            const auto* table = reinterpret_cast<const RGBQUAD*>(
                reinterpret_cast<const std::uint8_t*>(info) + info->biSize);
            const int colours = bits == 8 ? (info->biClrUsed ? info->biClrUsed : 256) : 0;
            const auto* rows = reinterpret_cast<const std::uint8_t*>(table + colours);
            const int stride = (width * bits / 8 + 3) & ~3;
            for (int y = 0; all && y < height; ++y)
                for (int x = 0; all && x < width; ++x) {
                    const std::uint8_t* p = rows + y * stride + x * bits / 8;
                    const COLORREF c =
                        bits == 8 ? RGB(table[*p].rgbRed, table[*p].rgbGreen, table[*p].rgbBlue)
                                  : RGB(p[2], p[1], p[0]);
                    all = c == colour;
                }
            GlobalUnlock(h);
        }
        CloseClipboard();
        return all;
    }
    // Waits until the screen itself shows the backdrop at the probe area: the
    // backdrop repaints what a window going away uncovers in its own time.
    static bool ScreenShowsBackdrop() {
        HDC screen = GetDC(nullptr);
        bool shown = false;
        for (int tries = 0; !shown && tries < 500; ++tries) {
            shown = GetPixel(screen, kProbeArea.left, kProbeArea.top) == kBackdrop &&
                    GetPixel(screen, kProbeArea.right - 1, kProbeArea.bottom - 1) == kBackdrop;
            if (!shown) Sleep(10);
        }
        ReleaseDC(nullptr, screen);
        return shown;
    }
    static bool CoversScreen() {
        RECT r;
        GetWindowRect(app->window, &r);
        return !IsIconic(app->window) && IsWindowVisible(app->window) && r.left == 0 &&
               r.top == 0 && r.right == app->view.ScreenWidth() &&
               r.bottom == app->view.ScreenHeight() && IsTopmost();
    }

    static inline std::unique_ptr<Backdrop> backdrop;
    static inline std::unique_ptr<CaptureWindow> app;
    static inline std::vector<std::wstring> messages;  // the texts of the boxes shown
    static inline bool boxTopmost = false;             // the window, while the last was open
    static inline int boxModal = 0;                    // modalOpen, while the last was open
    static inline fs::path folder, start;
};

TEST_F(CaptureTest, CursorsAreLoadedOncePerScaleSizeAndSwappedWhenTheScaleChanges) {
    const auto Side = [](HCURSOR c) {
        ICONINFO info{};
        BITMAP mask{};
        if (!GetIconInfo(c, &info)) return 0L;
        GetObjectW(info.hbmMask, sizeof(mask), &mask);
        DeleteObject(info.hbmMask);
        if (info.hbmColor) DeleteObject(info.hbmColor);
        return mask.bmWidth;
    };
    app->LoadCursors(UiScale::FromDpi(144));
    const HCURSOR at144 = app->cursorTable[2];
    EXPECT_EQ(Side(at144), 48);
    app->LoadCursors(UiScale());
    EXPECT_EQ(Side(app->cursorTable[2]), 32);
    EXPECT_NE(app->cursorTable[2], at144);
    app->LoadCursors(UiScale::FromDpi(144));  // back: the same handles, nothing loaded again
    EXPECT_EQ(app->cursorTable[2], at144);
    app->LoadCursors(app->view.CurrentUiScale());
}

TEST_F(CaptureTest, FormatCommandsMoveTheMarksOfTheirGroupAndOfTheFamily) {
    // The format code and the four ids marked (family, BMP, PNG, JPEG variant)
    // after each command. Only the low word of wParam names the command.
    const struct {
        int command, format, marked[4];
    } steps[] = {
        {IDM_BMP_555, 0x18, {IDM_FORMAT_BMP, IDM_BMP_555, IDM_PNG_8, IDM_JPEG_STANDARD}},
        {IDM_FORMAT_PNG, 0x2C, {IDM_FORMAT_PNG, IDM_BMP_555, IDM_PNG_8, IDM_JPEG_STANDARD}},
        {IDM_PNG_24, 0x20, {IDM_FORMAT_PNG, IDM_BMP_555, IDM_PNG_24, IDM_JPEG_STANDARD}},
        {IDM_JPEG_LOW, 0x33, {IDM_FORMAT_JPEG, IDM_BMP_555, IDM_PNG_24, IDM_JPEG_LOW}},
        {IDM_FORMAT_BMP, 0x18, {IDM_FORMAT_BMP, IDM_BMP_555, IDM_PNG_24, IDM_JPEG_LOW}},
        {IDM_FORMAT_JPEG, 0x33, {IDM_FORMAT_JPEG, IDM_BMP_555, IDM_PNG_24, IDM_JPEG_LOW}},
        {IDM_PNG_8, 0x2C, {IDM_FORMAT_PNG, IDM_BMP_555, IDM_PNG_8, IDM_JPEG_LOW}},
        {IDM_BMP_24, 0x10, {IDM_FORMAT_BMP, IDM_BMP_24, IDM_PNG_8, IDM_JPEG_LOW}},
        {IDM_JPEG_STANDARD, 0x31, {IDM_FORMAT_JPEG, IDM_BMP_24, IDM_PNG_8, IDM_JPEG_STANDARD}},
        // Nothing selected: nothing saved, but the family chosen is current.
        {IDM_SAVE_SEQUENTIAL_PNG, 0x2C, {IDM_FORMAT_PNG, IDM_BMP_24, IDM_PNG_8, IDM_JPEG_STANDARD}},
    };
    for (int id : {IDM_PNG_8, IDM_JPEG_STANDARD}) Command(id);  // whatever an earlier case chose
    for (const auto& step : steps) {
        app->OnCommand(MAKEWPARAM(step.command, 1));
        EXPECT_EQ(app->settings.imageFormat, step.format) << step.command;
        for (int id = IDM_FORMAT_BMP; id <= IDM_JPEG_LOW; ++id)
            EXPECT_EQ(Marked(id), std::count(step.marked, step.marked + 4, id) == 1)
                << step.command << " marks " << id;
    }
    EXPECT_TRUE(ImageCount() == 0 && messages.empty()) << "nothing was selected";
}

TEST_F(CaptureTest, SaveAfterPng8WritesAnIndexedPngAndCancelledSaveAsChangesNothing) {
    Select(10, 20, 33, 17);
    Command(IDM_PNG_8);
    Command(IDM_BMP_24);  // BMP is current; PNG keeps its 8 bits
    Command(IDM_SAVE_SEQUENTIAL_PNG);
    ASSERT_EQ(ImageCount(), 1);
    std::ifstream in(folder / "img0000.png", std::ios::binary);
    const std::string png(std::istreambuf_iterator<char>(in), {});
    EXPECT_EQ(png.substr(12, 14), std::string("IHDR\0\0\0\x21\0\0\0\x11\x08\x03", 14))
        << "33 x 17, 8-bit palette";
    EXPECT_EQ(app->settings.saveNumber, 1);
    EXPECT_TRUE(Marked(IDM_FORMAT_PNG) && Marked(IDM_PNG_8));

    Command(IDM_JPEG_LOW);
    app->view.secondLabel.SetVisible(false);  // the saved label
    int shown = 0;
    app->saveTarget.SetSaveDialogFunction([&](OPENFILENAMEW& d) {
        ++shown;
        EXPECT_EQ(d.nFilterIndex, 3u) << "the JPEG filter, from the current family";
        EXPECT_FALSE(IsTopmost()) << "the dialog must be able to come to the front";
        return SaveDialogResult::kCancelled;
    });
    Command(IDM_SAVE_AS);
    EXPECT_EQ(shown, 1);
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(ImageCount(), 1);
    EXPECT_EQ(app->settings.imageFormat, 0x33);
    EXPECT_EQ(app->settings.saveNumber, 1);
    EXPECT_TRUE(Marked(IDM_FORMAT_JPEG) && Marked(IDM_JPEG_LOW) && !Marked(IDM_FORMAT_PNG));
    EXPECT_FALSE(app->view.secondLabel.IsVisible());
    EXPECT_TRUE(IsTopmost());
}

TEST_F(CaptureTest, ExhaustedNumberShowsMessageFourAndStartsAgainFromZero) {
    app->settings.numberDigits = 1;
    const char* extensions[] = {".bmp", ".png", ".jpg"};
    for (int i = 0; i < 10; ++i)
        std::ofstream(folder / ("img" + std::to_string(i) + extensions[i % 3])) << "x";
    Select(0, 0, 8, 8);
    Command(IDM_SAVE_SEQUENTIAL);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].rfind(L"連番保存の番号が 10 に達しました．", 0), 0u);
    EXPECT_FALSE(boxTopmost) << "a box under a topmost full-screen window cannot be seen";
    EXPECT_EQ(boxModal, 1) << "the box's focus change must not minimise the window";
    EXPECT_EQ(app->modalOpen, 0) << "cleared once the box has returned";
    EXPECT_TRUE(IsTopmost());
    EXPECT_EQ(app->settings.saveNumber, 0);
    EXPECT_EQ(ImageCount(), 10);
}

// What start-up found comes at the first activation, one box each, in order,
// and never again in the same run: a notice given at start (a missing
// Japanese font), the first-run message, the read-only folder.
TEST_F(CaptureTest, StartupNoticesComeInOrderOnceAndTheFolderCheckLeavesNothing) {
    app->AddStartNotice(L"No Japanese font was found");
    app->firstRun = 1;
    app->folderReadOnly = 1;
    app->OnSetFocus(0);
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[0], L"No Japanese font was found");
    messages.erase(messages.begin());
    EXPECT_EQ(messages[0].rfind(L"初回起動か，新しいバージョンです．", 0), 0u);
    EXPECT_EQ(messages[1],
              L"「" + app->exeDirectory +
                  L"」\nには書き込めません．設定も画像もここには保存できません．\n\n"
                  L"ドキュメントの中など，自分のフォルダに展開してから起動して下さい．");
    app->OnSetFocus(0);  // the focus coming back from the last box
    app->OnSetFocus(0);  // a later activation
    EXPECT_EQ(messages.size(), 2u);

    // The check start-up makes: a file can be created in the folder, and is
    // gone again at once.
    EXPECT_TRUE(CanWriteIn(folder.wstring()));
    EXPECT_TRUE(CanWriteIn(app->exeDirectory));
    EXPECT_EQ(ImageCount(), 0);
    EXPECT_FALSE(CanWriteIn((folder / L"missing").wstring()));
    EXPECT_FALSE(CanWriteIn(L""));
}

TEST_F(CaptureTest, TogglesClearSelectionFrameTickAndRestoreFromTray) {
    for (const bool on : {false, true}) {
        Command(IDM_ZOOM_VIEW);
        EXPECT_EQ(app->settings.zoomVisible, on ? 1 : 0);
        EXPECT_EQ(app->view.zoomPane.IsVisible(), on);
        EXPECT_EQ(Marked(IDM_ZOOM_VIEW), on);
    }
    Select(50, 60, 70, 80);
    Command(IDM_CLEAR_SELECTION);
    const Selection& s = app->view.selection;
    EXPECT_EQ(s.left | s.top | s.width | s.height, 0);
    app->view.selection.patternPhase = 0;
    for (int expected : {1, 2, 3, 0, 1})
        EXPECT_TRUE(app->OnFrame() == 1 && s.patternPhase == expected) << expected;
    for (const bool on : {true, false, true}) {
        Command(IDM_TASKTRAY);
        EXPECT_EQ(app->settings.inTaskTray, on ? 1 : 0);
        EXPECT_EQ(Marked(IDM_TASKTRAY), on);
        EXPECT_EQ(TrayIconShown(), on);
    }
    ASSERT_FALSE(IsIconic(app->window));
    Command(IDM_RESTORE_FROM_TRAY);
    EXPECT_FALSE(TrayIconShown());
    EXPECT_EQ(app->settings.inTaskTray, 0);
    EXPECT_FALSE(Marked(IDM_TASKTRAY));
    EXPECT_TRUE(IsWindowVisible(app->window));
    EXPECT_TRUE(IsIconic(app->window)) << "an ordinary minimised window now";
}

// A saved-file message stays messageTicks frame ticks: still shown after
// one tick fewer, gone at the next.
TEST_F(CaptureTest, TheSavedMessageGoesAtTheFrameTickItsTicksRunOut) {
    const LabelPane& label = app->view.secondLabel;
    Select(30, 40, 60, 50);
    for (const int ticks : {1, 4}) {
        app->settings.messageTicks = ticks;
        Command(IDM_SAVE_SEQUENTIAL_BMP);
        ASSERT_TRUE(label.IsVisible()) << ticks;
        EXPECT_EQ(label.Text().find(L"img000"), 2u) << "the saved-file message";
        for (int tick = 1; tick < ticks; ++tick) {
            app->OnFrame();
            EXPECT_TRUE(label.IsVisible()) << "messageTicks " << ticks << ", tick " << tick;
        }
        app->OnFrame();
        EXPECT_FALSE(label.IsVisible()) << "messageTicks " << ticks;
    }
    EXPECT_EQ(ImageCount(), 2);
    app->settings.messageTicks = Settings{}.messageTicks;
}

// A write that fails (a read-only file in the way, with overwriting on)
// shows message 3 in a box and changes nothing.
TEST_F(CaptureTest, AFailedWriteShowsMessageThreeAndKeepsTheNumberAndTheFile) {
    const fs::path blocker = folder / "img0000.bmp";
    std::ofstream(blocker, std::ios::binary) << "keep";
    ASSERT_TRUE(SetFileAttributesW(blocker.c_str(), FILE_ATTRIBUTE_READONLY));
    app->settings.overwriteExisting = 1;
    app->view.secondLabel.SetVisible(false);
    Select(10, 10, 20, 20);
    Command(IDM_SAVE_SEQUENTIAL_BMP);
    app->settings.overwriteExisting = 0;
    SetFileAttributesW(blocker.c_str(), FILE_ATTRIBUTE_NORMAL);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].rfind(L"イメージの保存に失敗しました．", 0), 0u) << "message 3 first";
    EXPECT_FALSE(boxTopmost);
    EXPECT_TRUE(IsTopmost());
    EXPECT_FALSE(app->view.secondLabel.IsVisible()) << "no saved-file message";
    EXPECT_EQ(app->settings.saveNumber, 0);
    std::ifstream in(blocker, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "keep");
}

// Arrow keys, by one and with Shift by the grid: at the right and bottom edges
// the selection stops whole on the screen, and a save holds all of it.
TEST_F(CaptureTest, ArrowKeysStopTheSelectionWholeAtTheRightAndBottomEdges) {
    const int right = app->view.ScreenWidth() - 40, bottom = app->view.ScreenHeight() - 30;
    const auto key = [](UINT message, WPARAM k) { app->RouteKeyMessage(message, k, 0); };
    Select(right - 5, bottom - 5, 40, 30);
    const Selection& s = app->view.selection;
    // {key, shift, left, top} after each press
    const int presses[][4] = {
        {VK_RIGHT, 0, right - 4, bottom - 5}, {VK_RIGHT, 1, right, bottom - 5},
        {VK_RIGHT, 0, right, bottom - 5},     {VK_RIGHT, 1, right, bottom - 5},
        {VK_DOWN, 0, right, bottom - 4},      {VK_DOWN, 1, right, bottom},
        {VK_DOWN, 0, right, bottom},          {VK_DOWN, 1, right, bottom}};
    for (const auto& [k, shift, left, top] : presses) {
        if (shift) key(WM_KEYDOWN, VK_SHIFT);
        key(WM_KEYDOWN, WPARAM(k));
        if (shift) key(WM_KEYUP, VK_SHIFT);
        EXPECT_EQ((std::array{s.left, s.top, s.width, s.height}), (std::array{left, top, 40, 30}))
            << (k == VK_RIGHT ? "right" : "down") << (shift ? " with Shift" : "");
    }
    Command(IDM_SAVE_SEQUENTIAL_BMP);
    std::ifstream in(folder / "img0000.bmp", std::ios::binary);
    const std::string bmp(std::istreambuf_iterator<char>(in), {});
    ASSERT_GE(bmp.size(), 26u);
    EXPECT_EQ(bmp.substr(18, 8), std::string("\x28\0\0\0\x1E\0\0\0", 8)) << "40 x 30";
}

TEST_F(CaptureTest, PinnedRegionHoldsRingAndPanelAndUnpinningClearsItAndMinimises) {
    // Minimise and exit unticked: pinned, the panel gains the minimise button
    // and grows leftwards at a right-hand corner.
    app->settings.toolButtons[18] = 0;
    app->settings.toolButtons[19] = 0;
    app->settings.toolPanelCorner = kCornerBelowRight;
    app->view.toolPanel.Layout();
    Select(200, 150, 300, 200);
    HDC dc = CreateCompatibleDC(nullptr);
    app->Draw(dc);  // places the panel at the selection's corner
    ASSERT_FALSE(IsIconic(app->window));
    Command(IDM_PIN_WINDOW);
    EXPECT_EQ(app->view.toolPanel.ShownCount(), 6);
    // The ring, two pixels wide, all round; not the inside, nor beyond.
    const int points[][3] = {{198, 148, 1}, {350, 149, 1}, {501, 151, 1}, {199, 351, 1},
                             {200, 150, 0}, {499, 349, 0}, {197, 200, 0}, {350, 147, 0}};
    for (const auto& p : points) EXPECT_EQ(InRegion(p[0], p[1]), p[2]) << p[0] << ", " << p[1];
    app->Draw(dc);  // the panel as it is painted from now on
    DeleteDC(dc);
    const Rect panel = app->view.toolPanel.OuterRect();
    EXPECT_EQ(panel.top, 350);
    for (const int x : {panel.left, panel.right - 1})
        for (const int y : {panel.top, panel.bottom - 1})
            EXPECT_EQ(InRegion(x, y), 1) << x << ", " << y;
    EXPECT_EQ(InRegion(panel.left - 1, panel.bottom - 1), 0);
    PostMessageW(app->window, WM_KILLFOCUS, 0, 0);
    Pump();
    EXPECT_FALSE(IsIconic(app->window)) << "a pinned window stays when the focus goes";

    Command(IDM_MINIMIZE);
    EXPECT_FALSE(app->view.pinnedMode);
    EXPECT_EQ(app->view.toolPanel.ShownCount(), 5) << "the minimise button goes again";
    EXPECT_EQ(InRegion(350, 250), -1) << "no region: the whole window again";
    Pump();  // the posted focus loss minimises
    EXPECT_TRUE(IsIconic(app->window));
    EXPECT_EQ(app->frameInterval, 0u) << "frames pause while minimised";
}

TEST_F(CaptureTest, BoxesAndDialogsWhilePinnedLeaveMinimisingWorking) {
    // Pinned, the focus coming back does not clear modalOpen; the box's or
    // the dialog's return must, or unpinning could never minimise.
    Select(300, 200, 120, 80);
    Command(IDM_PIN_WINDOW);
    app->settings.numberDigits = 1;
    for (int i = 0; i < 10; ++i)
        std::ofstream(folder / ("img" + std::to_string(i) + ".bmp")) << "x";
    Command(IDM_SAVE_SEQUENTIAL);  // the number is exhausted: a message box
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(boxModal, 1);
    EXPECT_EQ(app->modalOpen, 0);
    int shown = 0;
    app->saveTarget.SetSaveDialogFunction([&](OPENFILENAMEW&) {
        ++shown;
        EXPECT_EQ(app->modalOpen, 1) << "the dialog's focus change must not minimise";
        return SaveDialogResult::kCancelled;
    });
    Command(IDM_SAVE_AS);
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(app->modalOpen, 0);
    Command(IDM_MINIMIZE);
    Pump();
    EXPECT_TRUE(IsIconic(app->window));
}

TEST_F(CaptureTest, PinnedCopiesAndSavesTakeTheLiveScreenWithoutThePanel) {
    FillSnapshot(kMarker);  // the frozen picture
    Select(400, 300, 120, 80);
    Command(IDM_PIN_WINDOW);
    Pump();  // the ring and the panel painted
    Command(IDM_COPY_REDUCED);
    EXPECT_TRUE(ClipboardAllOf(120, 80, kBackdrop)) << "the reduced copy of the live screen";
    Command(IDM_COPY);
    EXPECT_TRUE(ClipboardAllOf(120, 80, kBackdrop)) << "the copy of the live screen";
    EXPECT_TRUE(CoversScreen()) << "a pinned copy does not minimise";

    // At the bottom edge the panel below the selection is pushed up into it.
    const int h = app->view.ScreenHeight();
    Select(400, h - 60, 300, 60);
    Command(IDM_PIN_WINDOW);
    Pump();
    const Rect inside = app->view.selection.GetRect().Intersect(app->view.toolPanel.OuterRect());
    ASSERT_FALSE(inside.IsEmpty());
    FillSnapshot(kMarker);
    app->RunToolButton(2);  // BMP 256 colours, then a sequential save
    ASSERT_EQ(ImageCount(), 1);
    EXPECT_TRUE(SnapshotAllOf(app->view.selection.GetRect(), kBackdrop))
        << "the panel's own pixels were captured";
    Pump();
    EXPECT_EQ(InRegion(inside.left, inside.top), 1) << "the panel is back in the region";
    Command(IDM_MINIMIZE);
    Pump();
}

TEST_F(CaptureTest, TrayRightClickShowsTheMenuOnlyAndLeftClickCaptures) {
    Command(IDM_TASKTRAY);
    app->MinimizeWindow();
    ASSERT_FALSE(IsWindowVisible(app->window));
    ASSERT_TRUE(ScreenShowsBackdrop());
    FillSnapshot(kMarker);
    // The menu opens; the posted WM_CANCELMODE then closes it from its loop.
    static int menus = 0;
    menus = 0;
    HHOOK hook = SetWindowsHookExW(
        WH_CALLWNDPROC,
        [](int code, WPARAM w, LPARAM l) -> LRESULT {
            if (reinterpret_cast<CWPSTRUCT*>(l)->message == WM_INITMENUPOPUP) ++menus;
            return CallNextHookEx(nullptr, code, w, l);
        },
        nullptr, GetCurrentThreadId());
    PostMessageW(app->window, WM_CANCELMODE, 0, 0);
    SendMessageW(app->window, TRAY_CALLBACK_MESSAGE, 0, WM_RBUTTONUP);
    Pump();
    UnhookWindowsHookEx(hook);
    EXPECT_EQ(menus, 1);
    EXPECT_FALSE(IsWindowVisible(app->window));
    EXPECT_EQ(app->frameInterval, 0u) << "still away";
    EXPECT_TRUE(SnapshotAllOf(kProbeArea, kMarker)) << "no capture";

    SendMessageW(app->window, TRAY_CALLBACK_MESSAGE, 0, WM_LBUTTONUP);
    Pump();
    EXPECT_TRUE(CoversScreen());
    EXPECT_TRUE(SnapshotAllOf(kProbeArea, kBackdrop)) << "a fresh capture";
    Command(IDM_TASKTRAY);
}

TEST_F(CaptureTest, RestoreComesBackFullScreenAndOnlyAShownStartKeepsItsFirstSnapshot) {
    // A picture painted into the snapshot while minimised survives only when
    // the first snapshot is kept. -1: a later restore, not the first.
    for (const int show : {SW_SHOWMINNOACTIVE, SW_HIDE, SW_SHOWNORMAL, -1}) {
        app->showCommand = show == -1 ? SW_SHOWNORMAL : show;
        if (show != -1) app->OnCreate(0);
        app->MinimizeWindow();
        ASSERT_TRUE(IsIconic(app->window));
        ASSERT_TRUE(ScreenShowsBackdrop());
        FillSnapshot(kMarker);
        ShowWindow(app->window, SW_RESTORE);  // as the taskbar does
        Pump();
        EXPECT_TRUE(CoversScreen()) << show;
        EXPECT_EQ(app->frameInterval, 250u) << show;
        EXPECT_TRUE(SnapshotAllOf(kProbeArea, show == SW_SHOWNORMAL ? kMarker : kBackdrop)) << show;
    }
}

}  // namespace
}  // namespace mrv
