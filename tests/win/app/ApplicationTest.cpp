// The framework under Wine: main loop timing rules, routing, Shift tracking,
// back buffer. Each test builds its own Application subclass; the last one
// constructed is the process's Application.
#include "app/Application.h"
#include "tests/win/support/GdiCount.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

namespace mrv {
namespace {

class TestApp : public Application {
public:
    TestApp() {
        name = L"MRV_TEST_APP";
        title = L"test";
        style = WS_POPUP;
        x = 0;
        y = 0;
        clientWidth = 64;
        clientHeight = 48;
        instance = GetModuleHandleW(nullptr);
        showCommand = SW_SHOWNOACTIVATE;
    }

    int WindowProc(HWND, UINT message, WPARAM wParam, LPARAM lParam) override {
        seen.push_back(message);
        if (message == WM_TIMER && onTimer) {
            onTimer();
            return 1;
        }
        if (message == unrouted) return 0;
        return RouteToHooks(message, wParam, lParam);
    }
    int OnFrame() override {
        frameTimes.push_back(GetTickCount64());
        return onFrame ? onFrame() : 1;
    }
    int OnDelayedCallback() override {
        delayedTimes.push_back(GetTickCount64());
        return onDelayed ? onDelayed() : 1;
    }
    int OnShutdown() override {
        ++shutdowns;
        return 1;
    }
    void OnKeyDown(WPARAM key) override { shiftDuringKeyDown.push_back(IsShiftDown()); (void)key; }
    void OnKeyUp(WPARAM key) override { shiftDuringKeyUp.push_back(IsShiftDown()); (void)key; }
    void OnMouseMove(int px, int py) override { mouse.push_back({px, py}); }
    void OnLButtonDown(int px, int py) override { mouse.push_back({px, py}); }
    void OnMove(int px, int py) override { moves.push_back({px, py}); }

    std::vector<UINT> seen;
    std::vector<ULONGLONG> frameTimes;
    std::vector<ULONGLONG> delayedTimes;
    std::vector<int> shiftDuringKeyDown;
    std::vector<int> shiftDuringKeyUp;
    std::vector<POINT> mouse;
    std::vector<POINT> moves;
    void Draw(HDC dc) override {
        if (onDraw) onDraw(dc);
    }

    UINT unrouted = 0;
    std::function<void()> onTimer;
    std::function<void(HDC)> onDraw;
    std::function<int()> onFrame;
    std::function<int()> onDelayed;
    int shutdowns = 0;
};

// Starts the app with a window; the loop is run by each test.
void Start(TestApp& app) {
    ASSERT_TRUE(StartApplication(L""));
    ASSERT_NE(app.window, nullptr);
}

void Finish(TestApp& app) {
    if (app.window) DestroyWindow(app.window);
    // DestroyWindow posted WM_QUIT through WM_DESTROY; drain it so the next
    // test's loop does not see it.
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    EndApplication();
}

TEST(MainLoop, PausingTwiceKeepsTheFirstIntervalAndResumingWithNothingKeptChangesNothing) {
    TestApp app;
    // Nothing has been kept in this process yet (this test runs before any
    // other pauses): resuming leaves the interval alone.
    app.frameInterval = 90;
    SetFramesPaused(false);
    EXPECT_EQ(app.frameInterval, 90u);
    app.frameInterval = 70;
    SetFramesPaused(true);
    EXPECT_EQ(app.frameInterval, 0u);
    SetFramesPaused(true);
    EXPECT_EQ(app.frameInterval, 0u);
    SetFramesPaused(false);
    EXPECT_EQ(app.frameInterval, 70u);

    app.frameInterval = 90;
    SetFramesPaused(false);  // not paused: the kept 70 is put back
    EXPECT_EQ(app.frameInterval, 70u);
}

TEST(MainLoop, FramesTickAtTheIntervalAndAHookReturningZeroEndsWithCodeZero) {
    TestApp app;
    app.frameInterval = 40;
    Start(app);
    app.onFrame = [&] { return app.frameTimes.size() < 6 ? 1 : 0; };
    const ULONGLONG started = GetTickCount64();
    EXPECT_EQ(RunMessageLoop(), 0);
    ASSERT_EQ(app.frameTimes.size(), 6u);
    // Each tick waits at least the interval after the previous one.
    EXPECT_GE(app.frameTimes[0] - started, 40u);
    for (size_t i = 1; i < app.frameTimes.size(); ++i)
        EXPECT_GE(app.frameTimes[i] - app.frameTimes[i - 1], 40u) << "tick " << i;
    Finish(app);
}

TEST(MainLoop, NoTicksWhilePausedAndTheDelayedCallbackWaitsForTheFrames) {
    TestApp app;
    app.frameInterval = 30;
    Start(app);
    SetFramesPaused(true);
    ArmDelayedCallback(50);
    const ULONGLONG pausedAt = GetTickCount64();
    ULONGLONG resumedAt = 0;
    // While paused the loop blocks in WaitMessage; a timer wakes it after a
    // while and resumes the frames, and the callback then ends the loop.
    SetTimer(app.window, 1, 200, nullptr);
    app.onTimer = [&] {
        KillTimer(app.window, 1);
        resumedAt = GetTickCount64();
        SetFramesPaused(false);
    };
    app.onDelayed = [] { return 0; };
    EXPECT_EQ(RunMessageLoop(), 0);
    ASSERT_NE(resumedAt, 0u);
    EXPECT_GE(resumedAt - pausedAt, 150u);
    ASSERT_EQ(app.delayedTimes.size(), 1u);
    EXPECT_GE(app.delayedTimes[0] - resumedAt, 0u);
    EXPECT_LT(app.delayedTimes[0] - resumedAt, 100u);  // at the first pass after resuming
    for (ULONGLONG t : app.frameTimes) EXPECT_GE(t - pausedAt, resumedAt - pausedAt);
    Finish(app);
}

TEST(MainLoop, DelayedCallbackFiresOnceAndReArmingRestartsIt) {
    TestApp app;
    app.frameInterval = 10;
    Start(app);
    const ULONGLONG firstArm = GetTickCount64();
    ArmDelayedCallback(120);
    ULONGLONG secondArm = 0;
    app.onFrame = [&] {
        const ULONGLONG now = GetTickCount64();
        if (secondArm == 0 && now - firstArm >= 60) {
            secondArm = now;
            ArmDelayedCallback(120);
        }
        return (secondArm != 0 && now - secondArm > 400) ? 0 : 1;
    };
    EXPECT_EQ(RunMessageLoop(), 0);
    ASSERT_EQ(app.delayedTimes.size(), 1u);
    EXPECT_GT(app.delayedTimes[0] - secondArm, 120u);
    Finish(app);
}

TEST(SingleInstance, ASecondCopyEndsWithCodeZeroAndNoWindow) {
    // Another copy holds the instance mutex, named after the window class
    // (one of this test's own, so no other test finds it taken).
    HANDLE first = CreateMutexW(nullptr, FALSE, L"MRV_TEST_SECOND_COPY");
    ASSERT_NE(first, nullptr);
    TestApp app;
    app.name = L"MRV_TEST_SECOND_COPY";
    // A window made by mistake would run the loop: let it end at once.
    app.frameInterval = 10;
    app.onFrame = [] { return 0; };
    EXPECT_FALSE(StartApplication(L""));
    EXPECT_TRUE(AnotherInstanceRunning());
    EXPECT_EQ(app.window, nullptr);
    EXPECT_EQ(RunApplication(GetModuleHandleW(nullptr), SW_SHOWNOACTIVATE, L""), 0);
    EXPECT_EQ(app.window, nullptr);
    EXPECT_EQ(FindWindowW(L"MRV_TEST_SECOND_COPY", nullptr), nullptr);
    if (app.window) DestroyWindow(app.window);
    CloseHandle(first);
}

TEST(Routing, ShiftStateChangesAfterTheKeyHookNotBefore) {
    TestApp app;
    Start(app);
    SendMessageW(app.window, WM_KEYDOWN, VK_SHIFT, 0);
    EXPECT_EQ(IsShiftDown(), 1);
    SendMessageW(app.window, WM_KEYDOWN, VK_SHIFT, 0x40000000);  // auto-repeat
    EXPECT_EQ(IsShiftDown(), 1);
    SendMessageW(app.window, WM_KEYDOWN, 'A', 0);
    SendMessageW(app.window, WM_KEYUP, VK_SHIFT, 0);
    EXPECT_EQ(IsShiftDown(), 0);
    EXPECT_EQ(app.shiftDuringKeyDown, (std::vector<int>{0, 1, 1}));
    EXPECT_EQ(app.shiftDuringKeyUp, (std::vector<int>{1}));
    Finish(app);
}

TEST(Routing, CoordinatesLeftOfOrAboveTheWindowArriveNegative) {
    TestApp app;
    Start(app);
    SendMessageW(app.window, WM_MOUSEMOVE, 0, MAKELPARAM(-5, -7));
    SendMessageW(app.window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(-32768, 12));
    SendMessageW(app.window, WM_MOVE, 0, MAKELPARAM(-100, -1));
    ASSERT_EQ(app.mouse.size(), 2u);
    EXPECT_EQ(app.mouse[0].x, -5);
    EXPECT_EQ(app.mouse[0].y, -7);
    EXPECT_EQ(app.mouse[1].x, -32768);
    EXPECT_EQ(app.mouse[1].y, 12);
    ASSERT_FALSE(app.moves.empty());
    EXPECT_EQ(app.moves.back().x, -100);
    EXPECT_EQ(app.moves.back().y, -1);
    Finish(app);
}

TEST(Routing, RoutedMessagesNeverReachTheDefaultProcedure) {
    // The default handling of a right-button release asks for a context
    // menu; a routed release must not.
    TestApp app;
    Start(app);
    SendMessageW(app.window, WM_RBUTTONUP, 0, MAKELPARAM(3, 3));
    EXPECT_EQ(std::count(app.seen.begin(), app.seen.end(), static_cast<UINT>(WM_CONTEXTMENU)), 0);
    app.unrouted = WM_RBUTTONUP;  // the control: left to the default handling
    SendMessageW(app.window, WM_RBUTTONUP, 0, MAKELPARAM(3, 3));
    EXPECT_EQ(std::count(app.seen.begin(), app.seen.end(), static_cast<UINT>(WM_CONTEXTMENU)), 1);
    Finish(app);
}

TEST(BackBuffer, CreatesABlackBufferOfTheClientSizeAndReleasesOnce) {
    TestApp app;
    EXPECT_EQ(app.ReleaseBackBuffer(), 0);
    ASSERT_EQ(app.CreateBackBuffer(0, 0), 1);
    EXPECT_EQ(app.BackBufferWidth(), 64);
    EXPECT_EQ(app.BackBufferHeight(), 48);
    EXPECT_EQ(GetPixel(app.BackBufferDC(), 0, 0), RGB(0, 0, 0));
    EXPECT_EQ(GetPixel(app.BackBufferDC(), 63, 47), RGB(0, 0, 0));
    // Creating again drops the first buffer; no GDI objects pile up.
    const unsigned long before = test::CountGdiObjects();
    for (int i = 0; i < 50; ++i) ASSERT_EQ(app.CreateBackBuffer(20, 10), 1);
    EXPECT_EQ(test::CountGdiObjects(), before);
    EXPECT_EQ(app.BackBufferWidth(), 20);
    EXPECT_NE(app.ReleaseBackBuffer(), 0);
    EXPECT_EQ(app.BackBufferDC(), nullptr);
    EXPECT_EQ(app.ReleaseBackBuffer(), 0);
}

TEST(Painting, DrawRunsIntoTheBackBufferAndReachesTheWindow) {
    TestApp app;
    app.clientWidth = 32;
    app.clientHeight = 32;
    Start(app);
    ASSERT_EQ(app.CreateBackBuffer(0, 0), 1);
    app.onDraw = [&](HDC dc) {
        EXPECT_EQ(dc, app.BackBufferDC());
        RECT r{0, 0, 32, 32};
        HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
        FillRect(dc, &r, red);
        DeleteObject(red);
    };
    InvalidateRect(app.window, nullptr, FALSE);
    UpdateWindow(app.window);
    EXPECT_EQ(GetPixel(app.BackBufferDC(), 31, 31), RGB(255, 0, 0));
    app.ReleaseBackBuffer();
    // Without a back buffer Draw gets the paint DC itself.
    HDC painted = nullptr;
    app.onDraw = [&](HDC dc) { painted = dc; };
    InvalidateRect(app.window, nullptr, FALSE);
    UpdateWindow(app.window);
    EXPECT_NE(painted, nullptr);
    Finish(app);
}

}  // namespace
}  // namespace mrv
