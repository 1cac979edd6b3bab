// Window modes and the frame tick of the capture window under Wine: the
// pinned window's region, minimising and the tray, the first start and the
// focus changes around modal boxes.

#include "CaptureTestSupport.h"
#include "view/PaneLabels.h"

namespace mrv {
namespace {

using test::CaptureWindowTest;

// The window's region, or nothing when it has none.
class WindowRegion {
public:
    explicit WindowRegion(HWND window)
        : region_(CreateRectRgn(0, 0, 0, 0)), type_(GetWindowRgn(window, region_)) {}
    ~WindowRegion() { DeleteObject(region_); }
    bool Exists() const { return type_ != ERROR; }
    bool Has(int x, int y) const { return Exists() && PtInRegion(region_, x, y); }

private:
    HRGN region_;
    int type_;
};

// Paints the scene as a WM_PAINT would; the tool panel takes its place at
// the selection's corner there. Only that placement matters, so a small
// target will do.
void Paint(CaptureWindow& app) {
    BITMAPINFO info{};
    InitBitmapHeader(info.bmiHeader, 64, -64, 32);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, bitmap);
    app.Draw(dc);
    SelectObject(dc, previous);
    DeleteDC(dc);
    DeleteObject(bitmap);
}

TEST_F(CaptureWindowTest, PinnedRegionHoldsTheRingAndThePanelButNotTheInside) {
    // Minimise and exit unticked: the pinned panel gains the minimise button
    // and grows, so at a right-hand corner it starts further left than the
    // panel of the last paint.
    app->settings.toolButtons[18] = 0;
    app->settings.toolButtons[19] = 0;
    app->settings.toolPanelCorner = kCornerBelowRight;
    app->view.toolPanel.Layout();
    Select(200, 150, 300, 200);
    Paint(*app);
    Command(IDM_PIN_WINDOW);

    EXPECT_EQ(app->pinned, 1);
    EXPECT_TRUE(app->view.pinnedMode);
    EXPECT_TRUE(app->view.toolPanel.IsPinned());
    EXPECT_EQ(app->view.toolPanel.ShownCount(), 6);
    const WindowRegion region(app->window);
    ASSERT_TRUE(region.Exists());
    // The ring, two pixels wide, all round.
    for (const POINT p : {POINT{198, 148}, POINT{199, 149}, POINT{350, 148}, POINT{501, 151},
                          POINT{500, 300}, POINT{198, 349}, POINT{199, 351}})
        EXPECT_TRUE(region.Has(p.x, p.y)) << p.x << ", " << p.y;
    // The inside shows the live screen; beyond the ring is not the window.
    for (const POINT p : {POINT{200, 150}, POINT{499, 349}, POINT{350, 250}, POINT{197, 200},
                          POINT{502, 200}, POINT{350, 147}})
        EXPECT_FALSE(region.Has(p.x, p.y)) << p.x << ", " << p.y;
    // The panel as it is painted from now on.
    Paint(*app);
    const Rect panel = app->view.toolPanel.OuterRect();
    EXPECT_EQ(panel.top, 350);
    for (const POINT p :
         {POINT{panel.left, panel.top}, POINT{panel.right - 1, panel.top},
          POINT{panel.left, panel.bottom - 1}, POINT{panel.right - 1, panel.bottom - 1}})
        EXPECT_TRUE(region.Has(p.x, p.y)) << "panel " << p.x << ", " << p.y;
    EXPECT_FALSE(region.Has(panel.left - 1, panel.bottom - 1));
}

TEST_F(CaptureWindowTest, HiddenToolPanelLeavesOnlyTheRingPinned) {
    app->view.toolPanel.SetVisible(false);
    Select(100, 100, 50, 50);
    Command(IDM_PIN_WINDOW);
    const WindowRegion region(app->window);
    ASSERT_TRUE(region.Exists());
    EXPECT_TRUE(region.Has(99, 120));
    const Rect panel = app->view.toolPanel.OuterRect();
    EXPECT_FALSE(region.Has(panel.left + 5, panel.top + 5))
        << "a panel that is not painted would show a piece of the old picture";
}

TEST_F(CaptureWindowTest, PinnedWindowIgnoresFocusTrayClicksAndCopiesThenUnpinsToMinimised) {
    Select(100, 100, 50, 50);
    Command(IDM_PIN_WINDOW);
    app->settings.minimizeAfterCopy = 1;
    Command(IDM_COPY);
    PostMessageW(app->window, WM_KILLFOCUS, 0, 0);
    Pump();
    SendMessageW(app->window, TRAY_CALLBACK_MESSAGE, 0, WM_LBUTTONUP);
    SendMessageW(app->window, WM_SETFOCUS, 0, 0);
    EXPECT_EQ(app->pinned, 1);
    EXPECT_FALSE(IsIconic(app->window));
    EXPECT_TRUE(PictureIntact()) << "no new snapshot while pinned";
    EXPECT_TRUE(WindowRegion(app->window).Exists());

    Command(IDM_MINIMIZE);
    EXPECT_EQ(app->pinned, 0);
    EXPECT_FALSE(app->view.pinnedMode);
    EXPECT_FALSE(app->view.toolPanel.IsPinned());
    EXPECT_EQ(app->view.toolPanel.ShownCount(), 7);
    EXPECT_FALSE(WindowRegion(app->window).Exists());
    Pump();  // the posted focus loss minimises
    EXPECT_TRUE(IsIconic(app->window));
    EXPECT_EQ(app->frameInterval, 0u) << "frames pause while minimised";
}

TEST_F(CaptureWindowTest, TrayModeHidesAndLeavingTheTrayRemovesTheIconAndMinimises) {
    Command(IDM_TASKTRAY);
    ASSERT_TRUE(TrayIconShown());
    Command(IDM_MINIMIZE);
    Pump();
    EXPECT_FALSE(IsWindowVisible(app->window)) << "hidden behind the tray icon";

    Command(IDM_RESTORE_FROM_TRAY);
    EXPECT_FALSE(TrayIconShown());
    EXPECT_EQ(app->settings.inTaskTray, 0);
    EXPECT_FALSE(Marked(IDM_TASKTRAY));
    EXPECT_TRUE(IsWindowVisible(app->window));
    EXPECT_TRUE(IsIconic(app->window)) << "an ordinary minimised window now";
}

TEST_F(CaptureWindowTest, FrameTickMarchesThePatternAndTimesOutTheLabels) {
    Selection& s = app->view.selection;
    for (int expected : {1, 2, 3, 0, 1}) {
        EXPECT_EQ(app->OnFrame(), 1);
        EXPECT_EQ(s.patternPhase, expected);
    }

    app->settings.messageTicks = 3;  // read when a label starts showing
    ShowCentredMessage(app->view.Labels(), app->view.Measurer(), L"saved");
    // A tool-button tip stands in for the magnifier while it shows.
    ShowLabelText(app->view.firstLabel, app->view.Measurer(), 5, 5, false, L"tip", true);
    app->view.zoomPane.SetVisible(false);
    for (int tick = 1; tick <= 2; ++tick) {
        app->OnFrame();
        EXPECT_TRUE(app->view.secondLabel.IsVisible()) << tick;
        EXPECT_TRUE(app->view.firstLabel.IsVisible()) << tick;
        EXPECT_FALSE(app->view.zoomPane.IsVisible()) << tick;
    }
    app->OnFrame();
    EXPECT_FALSE(app->view.secondLabel.IsVisible());
    EXPECT_FALSE(app->view.firstLabel.IsVisible());
    EXPECT_TRUE(app->view.zoomPane.IsVisible()) << "the zoom view is on";

    Command(IDM_ZOOM_VIEW);  // off: the magnifier stays away after a tip
    ShowLabelText(app->view.firstLabel, app->view.Measurer(), 5, 5, false, L"tip", true);
    for (int tick = 0; tick < 3; ++tick) app->OnFrame();
    EXPECT_FALSE(app->view.firstLabel.IsVisible());
    EXPECT_FALSE(app->view.zoomPane.IsVisible());
}

TEST_F(CaptureWindowTest, FocusWhileAModalBoxIsOpenNeitherMinimisesNorTakesANewSnapshot) {
    // A first start, without a settings file: shown, brought to the front,
    // then the first-run message.
    Close();
    ASSERT_TRUE(DeleteFileW(SettingsPath().c_str()));
    Start(false);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text,
              L"初回起動か，新しいバージョンです．設定が初期化されます．\n\n"
              L"このアプリケーションは，一時的に全画面を占有します．\n"
              L"「右クリック」でメニュー表示，「Esc キー」で強制終了します．");
    EXPECT_EQ(messages[0].caption, L"MORVANTE");
    EXPECT_TRUE(messages[0].topmost);
    EXPECT_EQ(messages[0].modalOpen, 1);
    EXPECT_EQ(app->firstRun, 0);
    RECT r;
    GetWindowRect(app->window, &r);
    EXPECT_EQ(r.right - r.left, app->view.ScreenWidth());
    EXPECT_EQ(r.bottom - r.top, app->view.ScreenHeight());
    EXPECT_TRUE(PictureIntact()) << "the snapshot from before the window was shown is kept";

    // The box takes the focus and gives it back.
    SendMessageW(app->window, WM_KILLFOCUS, 0, 0);
    EXPECT_FALSE(IsIconic(app->window));
    SendMessageW(app->window, WM_SETFOCUS, 0, 0);
    EXPECT_EQ(app->modalOpen, 0);
    EXPECT_TRUE(PictureIntact());
    EXPECT_EQ(messages.size(), 1u);

    // Without a box: away minimises, back takes a new snapshot.
    SendMessageW(app->window, WM_KILLFOCUS, 0, 0);
    EXPECT_TRUE(IsIconic(app->window));
    SendMessageW(app->window, WM_SETFOCUS, 0, 0);
    EXPECT_FALSE(PictureIntact());
    EXPECT_NE(app->frameInterval, 0u);
    EXPECT_TRUE(IsTopmost());
}

}  // namespace
}  // namespace mrv
