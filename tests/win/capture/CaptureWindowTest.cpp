// The capture window under Wine, driven through its command handler: menu
// marks read from both menus, saves into a scratch folder and the messages
// they show, the toggles, pinning, the tray and the frame tick. One window
// serves every case (under Wine each destroyed full-screen window costs
// seconds); SetUp puts back what a case may have changed.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "capture/CaptureWindow.h"
#include "output/FileSink_win.h"
#include "resources/resource.h"

namespace mrv {
namespace {

namespace fs = std::filesystem;

class CaptureTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!app) {
            start = fs::current_path();
            folder = fs::temp_directory_path() / ("mrv-" + std::to_string(GetCurrentProcessId()));
            fs::create_directories(folder);
            app = std::make_unique<CaptureWindow>();
            app->instance = GetModuleHandleW(nullptr);
            app->exeDirectory = folder.wstring() + L"\\";
            app->SetMessageBoxFunction([](HWND, const wchar_t* text, const wchar_t*, UINT) {
                messages.push_back(text);
                boxTopmost = IsTopmost();
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

    static inline std::unique_ptr<CaptureWindow> app;
    static inline std::vector<std::wstring> messages;  // the texts of the boxes shown
    static inline bool boxTopmost = false;             // the window, while the last was open
    static inline fs::path folder, start;
};

TEST_F(CaptureTest, FormatCommandsMoveTheMarksOfTheirGroupAndOfTheFamily) {
    // After each command: the format code and the four ids marked (family,
    // BMP variant, PNG variant, JPEG quality); variants stay marked whichever
    // family is current. Only the low word of wParam names the command.
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
        {IDM_BMP_8, 0x1C, {IDM_FORMAT_BMP, IDM_BMP_8, IDM_PNG_8, IDM_JPEG_LOW}},
        {IDM_JPEG_HIGH, 0x30, {IDM_FORMAT_JPEG, IDM_BMP_8, IDM_PNG_8, IDM_JPEG_HIGH}},
        {IDM_BMP_565, 0x14, {IDM_FORMAT_BMP, IDM_BMP_565, IDM_PNG_8, IDM_JPEG_HIGH}},
        {IDM_JPEG_MEDIUM, 0x32, {IDM_FORMAT_JPEG, IDM_BMP_565, IDM_PNG_8, IDM_JPEG_MEDIUM}},
        {IDM_BMP_24, 0x10, {IDM_FORMAT_BMP, IDM_BMP_24, IDM_PNG_8, IDM_JPEG_MEDIUM}},
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
    EXPECT_EQ(app->modalOpen, 1) << "the box's focus change must not minimise the window";
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

// The arrow keys as the window gets them, by one and with Shift by the grid:
// at the right and bottom edges the selection stops whole on the screen, and
// a save then holds all of it.
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
    // and grows, so at a right-hand corner it starts further left than the
    // panel of the last paint did.
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

}  // namespace
}  // namespace mrv
