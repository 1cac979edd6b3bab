// Start-up and shutdown, window modes and the frame tick of the capture window.
#include "capture/CaptureWindow.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <string>
#include <vector>

#include "base/InterfaceFont_win.h"
#include "capture/ProgramTexts_win.h"
#include "output/FileSink_win.h"
#include "output/MessageText.h"
#include "resources/resource.h"

namespace mrv {
namespace {

constexpr UINT kFrameIntervalMs = 250;
// How long a live capture waits, at most, for the screen beneath the panel to
// be painted again once the panel has left the window region.
constexpr DWORD kUncoverWaitMs = 100;
constexpr DWORD kUncoverPollMs = 5;
constexpr wchar_t kCaption[] = L"MORVANTE";
constexpr wchar_t kTrayTip[] = L"左クリックでキャプチャ";

std::string ToUtf8(const std::wstring& text) {
    if (text.empty()) return std::string();
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()),
                                      nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), n,
                            nullptr, nullptr);
    return out;
}

// The settings file keeps its folder texts as code page 932 bytes.
std::string ToCp932(const std::wstring& text) {
    if (text.empty()) return std::string();
    const int n = WideCharToMultiByte(932, 0, text.c_str(), static_cast<int>(text.size()), nullptr,
                                      0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        WideCharToMultiByte(932, 0, text.c_str(), static_cast<int>(text.size()), out.data(), n,
                            nullptr, nullptr);
    return out;
}

bool StartsShown(int showCommand) {
    switch (showCommand) {
        case SW_HIDE:
        case SW_MINIMIZE:
        case SW_SHOWMINIMIZED:
        case SW_SHOWMINNOACTIVE:
        case SW_FORCEMINIMIZE:
            return false;
        default:
            return true;
    }
}

// The pixels of `r` (inside the picture), row after row.
std::vector<std::uint32_t> PixelsIn(const imaging::PixelView& picture, const Rect& r) {
    std::vector<std::uint32_t> out;
    if (!picture.data) return out;
    out.reserve(static_cast<size_t>(r.Width()) * static_cast<size_t>(r.Height()));
    for (int y = r.top; y < r.bottom; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(picture.data + y * picture.stride);
        out.insert(out.end(), row + r.left, row + r.right);
    }
    return out;
}

}  // namespace

CaptureWindow::CaptureWindow() = default;
CaptureWindow::~CaptureWindow() = default;

std::wstring CaptureWindow::LoadText(UINT id) const {
    const wchar_t* text = nullptr;
    // With a zero buffer size LoadStringW hands out a pointer into the
    // resource itself (not NUL-terminated) and its length.
    const int n = LoadStringW(instance, id, reinterpret_cast<LPWSTR>(&text), 0);
    return n > 0 && text ? std::wstring(text, static_cast<size_t>(n)) : std::wstring();
}

int CaptureWindow::ShowMessage(const wchar_t* text) {
    // Set first: the focus the box takes must neither minimise the window
    // nor, when it comes back, take a new snapshot.
    modalOpen = 1;
    const int answer = showMessageBox_ ? showMessageBox_(window, text, kCaption, MB_OK) : 0;
    // Cleared here too: the focus coming back does it only when not pinned,
    // and a flag left set would stop every later minimise.
    modalOpen = 0;
    return answer;
}

void CaptureWindow::LoadCursors(UiScale scale) {
    cursorTable[0] = LoadCursorW(nullptr, IDC_ARROW);
    cursorTable[1] = LoadCursorW(nullptr, IDC_WAIT);
    const int resourceCursors[] = {
        IDC_OUTSIDE, IDC_OUTSIDE_CORNER_SNAP, IDC_FOUR_WAY,  IDC_SIZE_WE, IDC_SIZE_NWSE,
        IDC_SIZE_NS, IDC_SIZE_NESW,           IDC_MOVE_ZONE, IDC_MOVING,  IDC_TOOL_BUTTON};
    static_assert(std::size(resourceCursors) == kCursorCount - 2);
    // Scaled, the cursors are loaded at the scale's size (32 pixels at 96
    // dpi); they live as long as the program.
    const int size = scale.IsUnscaled() ? 0 : scale.Px(kCursorSize96);
    auto set = std::find_if(cursorSets_.begin(), cursorSets_.end(),
                            [size](const CursorSet& c) { return c.size == size; });
    if (set == cursorSets_.end()) {
        CursorSet loaded;
        loaded.size = size;
        for (int i = 0; i < kCursorCount - 2; ++i) {
            const wchar_t* id = MAKEINTRESOURCEW(resourceCursors[i]);
            HCURSOR cursor = nullptr;
            if (size != 0)
                cursor =
                    static_cast<HCURSOR>(LoadImageW(instance, id, IMAGE_CURSOR, size, size, 0));
            loaded.cursors[i] = cursor != nullptr ? cursor : LoadCursorW(instance, id);
        }
        cursorSets_.push_back(loaded);
        set = cursorSets_.end() - 1;
    }
    std::copy(std::begin(set->cursors), std::end(set->cursors), cursorTable + 2);
}

int CaptureWindow::OnInit() {
    firstRun = 0;
    const std::string settingsPath = SettingsFilePath(ToUtf8(exeDirectory));
    if (!LoadSettingsFile(settingsPath, settings)) {
        ResetSettings(settings, ToCp932(exeDirectory));
        firstRun = 1;
    }
    folderReadOnly = CanWriteIn(exeDirectory) ? 0 : 1;

    InitSaving();

    // Before anything makes a font: every text is drawn in this face.
    startNotices_.clear();
    if (!ResolveInterfaceFace(ProgramCharacters(instance)).legible)
        AddStartNotice(std::wstring(kNoJapaneseFontNotice));

    if (!view.InitScreenView(settings, instance)) return 0;
    LoadCursors(view.CurrentUiScale());
    RefreshMenuChecks();

    style = WS_POPUP;
    exStyle = 0;
    leftButtonHeld = 0;
    minimizeCancelled = 0;
    modalOpen = 0;
    pinned = 0;
    x = view.Origin().x;
    y = view.Origin().y;
    clientWidth = view.ScreenWidth();
    clientHeight = view.ScreenHeight();
    frameInterval = kFrameIntervalMs;
    title = kCaption;
    icon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_APPLICATION_ICON));
    accelerators = LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDR_ACCELERATORS));

    CreateBackBuffer(0, 0);
    taskbarCreatedMessage_ = RegisterWindowMessageW(L"TaskbarCreated");
    return 1;
}

void CaptureWindow::OnCreate(LPARAM) {
    saveTarget.SetOwner(window);
    InitTrayIconData(trayIconData, window, 0, icon, TRAY_CALLBACK_MESSAGE, kTrayTip);
    if (settings.inTaskTray) {
        Shell_NotifyIconW(NIM_ADD, &trayIconData);
        settings.inTaskTray = 1;
    }
    // The window exists but is not shown yet: the display still shows only
    // what lies beneath it.
    keepFirstSnapshot_ = StartsShown(showCommand);
    if (keepFirstSnapshot_) view.CaptureScreen();
    RegisterGlobalHotkey();
}

int CaptureWindow::OnShutdown() {
    ReleaseGlobalHotkey();
    view.ReleaseFontAndMenu();
    SaveSessionState();
    return 1;
}

void CaptureWindow::SaveSessionState() {
    // After the session has ended the icon is gone and inTaskTray cleared in
    // memory: writing again would lose the tray mode.
    if (sessionSaved_) return;
    sessionSaved_ = true;
    // An unwritable folder loses this run's changes but must not stop the
    // program from ending normally.
    (void)SaveSettingsFile(SettingsFilePath(ToUtf8(exeDirectory)), settings);
    if (settings.inTaskTray) {
        Shell_NotifyIconW(NIM_DELETE, &trayIconData);
        settings.inTaskTray = 0;
    }
}

int CaptureWindow::WindowProc(HWND, UINT message, WPARAM wParam, LPARAM lParam) {
    if (RouteToHooks(message, wParam, lParam)) return 1;
    if (message == TRAY_CALLBACK_MESSAGE) {
        OnTrayCallback(lParam);
        return 1;
    }
    if (message == WM_HOTKEY) {
        if (wParam == static_cast<WPARAM>(kHotkeyId)) OnHotkey();
        return 1;
    }
    if (taskbarCreatedMessage_ != 0 && message == taskbarCreatedMessage_) {
        // Explorer restarted and forgot every tray icon: put ours back.
        if (settings.inTaskTray) Shell_NotifyIconW(NIM_ADD, &trayIconData);
        return 0;
    }
    switch (message) {
        case WM_DISPLAYCHANGE:
            OnDisplayChange();
            return 0;
        case WM_QUERYOPEN:
            // The minimised window is about to be restored and is not on the
            // screen yet: the moment for the fresh snapshot. Not claimed, so
            // the default answer lets the window open.
            if (!pinned && !snapshotFresh_) {
                TakeSnapshot();
                snapshotFresh_ = true;
                // Normally the activation that follows shows it; if none
                // comes, the posted message does.
                PostMessageW(window, kPlaceAgainMessage, 0, 0);
            }
            return 0;
        case kPlaceAgainMessage:
            if (snapshotFresh_)
                RestoreFullScreen();
            else if (frameInterval != 0 && IsWindowVisible(window) && !IsIconic(window))
                // Neither activated nor restacked: a box that opened since
                // (the first-run message) keeps the focus and stays above.
                SetWindowPos(window, nullptr, view.Origin().x, view.Origin().y, view.ScreenWidth(),
                             view.ScreenHeight(), SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
            return 1;
        case WM_ENDSESSION:
            // Log off, shut down or restart: the process may be ended as soon
            // as this returns, without the loop's normal end. The answer to
            // WM_QUERYENDSESSION is left to the default (yes): the session's
            // end is never refused.
            if (wParam) {
                SaveSessionState();
                PostQuitMessage(0);
            }
            return 1;
        default:
            return 0;
    }
}

void CaptureWindow::Draw(HDC dc) {
    view.DrawScene(dc);
}

// ---------------------------------------------------------------------------
// Window modes

void CaptureWindow::MinimizeWindow() {
    if (pinned || modalOpen) return;
    SetFramesPaused(true);
    MoveWindow(window, -16, -16, 8, 8, TRUE);
    if (settings.inTaskTray) {
        ShowWindow(window, SW_HIDE);
        return;
    }
    ShowWindow(window, SW_MINIMIZE);
    // The system restores a minimised window to its normal rectangle: make
    // that the full screen, not the 8 x 8 one off the screen. The snapshot is
    // taken before the restore (WM_QUERYOPEN), while the window is still
    // minimised; and under Wine a window restored off the screen keeps its X
    // window minimised, so no later placement would reach it. Placement
    // rectangles are relative to the work area.
    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    if (GetWindowPlacement(window, &placement)) {
        RECT work{0, 0, view.ScreenWidth(), view.ScreenHeight()};
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        placement.flags = 0;
        placement.showCmd = SW_SHOWMINNOACTIVE;  // stays minimised
        const Point origin = view.Origin();
        placement.rcNormalPosition = RECT{origin.x - work.left, origin.y - work.top,
                                          origin.x + view.ScreenWidth() - work.left,
                                          origin.y + view.ScreenHeight() - work.top};
        SetWindowPlacement(window, &placement);
    }
}

void CaptureWindow::TakeSnapshot() {
    if (keepFirstSnapshot_)
        keepFirstSnapshot_ = false;
    else
        view.CaptureScreen();
}

void CaptureWindow::RestoreFullScreen() {
    if (restoring_) return;
    restoring_ = true;
    // The fresh snapshot first, while the window is still away: minimised,
    // hidden in the tray, or the 8 x 8 one off the screen. A window that is
    // up already (the focus coming back to it) would only capture itself;
    // the first activation keeps the snapshot taken before the window showed.
    const bool away = IsIconic(window) || !IsWindowVisible(window) || frameInterval == 0;
    if (!snapshotFresh_ && (away || keepFirstSnapshot_)) TakeSnapshot();
    snapshotFresh_ = false;
    SetFramesPaused(false);
    // Called for a minimised window (a tray click): restore it now; its
    // WM_QUERYOPEN finds the snapshot taken.
    if (IsIconic(window)) ShowWindow(window, SW_RESTORE);
    // Over the virtual screen: client coordinates are snapshot coordinates.
    SetWindowPos(window, HWND_TOPMOST, view.Origin().x, view.Origin().y, view.ScreenWidth(),
                 view.ScreenHeight(), SWP_SHOWWINDOW | SWP_FRAMECHANGED);
    FollowCursorToPointer();
    InvalidateRect(window, nullptr, FALSE);
    ShowPendingHotkeyMessage();
    // Under Wine a placement made while the driver handles an event of this
    // window (a window manager's activation) never reaches the X window:
    // place it once more when the activation has finished. SWP_FRAMECHANGED
    // makes that placement count although the rectangle is unchanged.
    PostMessageW(window, kPlaceAgainMessage, 0, 0);
    restoring_ = false;
}

void CaptureWindow::OnDisplayChange() {
    // The notice also comes for changes that leave the monitors as they
    // were (another program's mode change, a repeat): then nothing moves.
    if (!view.ReadMonitors()) return;
    const bool up = frameInterval != 0 && IsWindowVisible(window) && !IsIconic(window);
    if (clientWidth != view.ScreenWidth() || clientHeight != view.ScreenHeight()) {
        clientWidth = view.ScreenWidth();
        clientHeight = view.ScreenHeight();
        CreateBackBuffer(0, 0);
    }
    x = view.Origin().x;
    y = view.Origin().y;
    // Away, the next restore captures the new screen and places the window;
    // up, it covers the new virtual screen now.
    if (!up) return;
    // Client coordinates stay snapshot coordinates.
    SetWindowPos(window, HWND_TOPMOST, view.Origin().x, view.Origin().y, view.ScreenWidth(),
                 view.ScreenHeight(), SWP_SHOWWINDOW | SWP_FRAMECHANGED);
    if (pinned) {
        view.pinnedRegion = BuildPinnedRegion();
        SetWindowRgn(window, view.pinnedRegion, TRUE);
    }
    InvalidateRect(window, nullptr, FALSE);
}

void CaptureWindow::SetTrayIcon(bool on) {
    Shell_NotifyIconW(on ? NIM_ADD : NIM_DELETE, &trayIconData);
    settings.inTaskTray = on ? 1 : 0;
}

void CaptureWindow::OnSetFocus(WPARAM) {
    if (trayMenuOpen_) return;
    if (!pinned) {
        if (modalOpen)
            modalOpen = 0;
        else if (!IsIconic(window))
            // Still minimised (a window manager activates before it restores,
            // and a minimised start may be activated too): the restore, if
            // one comes, brings the window up through WM_QUERYOPEN.
            RestoreFullScreen();
    }
    ShowStartupNotices();
}

// What start-up found that the user must know, once per run, in this order,
// at the first activation: a missing Japanese font first, since it explains
// why the others show as boxes. Each is cleared before any box opens: the
// focus that comes back as a box closes runs this again.
void CaptureWindow::ShowStartupNotices() {
    std::vector<std::wstring> notices;
    notices.swap(startNotices_);
    if (firstRun) notices.push_back(LoadText(IDS_FIRST_RUN));
    if (folderReadOnly)
        notices.push_back(FillPlaceholders(LoadText(IDS_FOLDER_READ_ONLY), {exeDirectory}));
    firstRun = 0;
    folderReadOnly = 0;
    for (const std::wstring& text : notices) ShowMessage(text.c_str());
}

void CaptureWindow::OnKillFocus(WPARAM) {
    MinimizeWindow();
}

int CaptureWindow::OnDelayedCallback() {
    if (!minimizeCancelled) PostMessageW(window, WM_KILLFOCUS, 0, 0);
    minimizeCancelled = 0;
    return 1;
}

void CaptureWindow::OnTrayCallback(LPARAM mouseMessage) {
    switch (static_cast<UINT>(mouseMessage)) {
        case WM_LBUTTONUP:
            if (pinned) return;
            if (modalOpen) {
                modalOpen = 0;
                return;
            }
            RestoreFullScreen();
            return;
        case WM_RBUTTONUP: {
            HMENU trayMenu = view.menu ? GetSubMenu(view.menu, 1) : nullptr;
            if (!trayMenu) return;
            POINT p;
            GetCursorPos(&p);
            // Without this the menu stays open when the user clicks elsewhere.
            // The activation it brings is not a request to capture: the
            // window stays where it is.
            trayMenuOpen_ = true;
            SetForegroundWindow(window);
            TrackPopupMenu(trayMenu, TPM_RIGHTBUTTON, p.x, p.y, 0, window, nullptr);
            trayMenuOpen_ = false;
            PostMessageW(window, WM_NULL, 0, 0);
            return;
        }
        default:
            return;
    }
}

void CaptureWindow::Pin() {
    view.pinnedMode = true;
    view.toolPanel.SetPinned(true);
    view.toolPanel.Layout();
    // The pinned set has its own width, and the selection may have moved
    // since the last paint placed the panel: place it now, where the next
    // paint will draw it, or the region would miss part of it.
    view.toolPanel.PlaceAtCorner();
    HRGN region = BuildPinnedRegion();
    // The region belongs to the system from here on.
    view.pinnedRegion = region;
    SetWindowRgn(window, region, TRUE);
    InvalidateRect(window, nullptr, FALSE);
}

HRGN CaptureWindow::BuildPinnedRegion() const {
    HRGN region = view.BuildFrameRegion();
    // A hidden panel is not painted; its box would show a piece of the old
    // picture over the live screen and swallow the clicks there.
    if (view.toolPanel.IsVisible()) {
        const Rect panel = view.toolPanel.OuterRect();
        HRGN panelRegion = CreateRectRgn(panel.left, panel.top, panel.right, panel.bottom);
        CombineRgn(region, region, panelRegion, RGN_OR);
        DeleteObject(panelRegion);
    }
    return region;
}

void CaptureWindow::CaptureLiveScreen() {
    // The ring lies wholly outside the selection; only the panel, pushed in
    // by an edge of the screen, can stand over the part that is cut out.
    const Rect cut = view.toolPanel.IsVisible()
                         ? view.selection.GetRect().Intersect(view.toolPanel.OuterRect())
                         : Rect{};
    view.CaptureScreen();
    if (cut.IsEmpty() || !view.pinnedRegion) return;
    // Take the panel out of the window region; what lies beneath it shows
    // once its own window has painted it again (a composited desktop shows it
    // at its next frame). Wait until the panel's pixels are gone from the
    // screen, for a fraction of a frame tick at most: a screen that really
    // shows those pixels beneath is then captured as it is.
    const std::vector<std::uint32_t> panelShown = PixelsIn(view.SnapshotPixels(), cut);
    SetWindowRgn(window, view.BuildFrameRegion(), FALSE);
    const DWORD start = GetTickCount();
    do {
        Sleep(kUncoverPollMs);
        view.CaptureScreen();
    } while (PixelsIn(view.SnapshotPixels(), cut) == panelShown &&
             GetTickCount() - start < kUncoverWaitMs);
    view.pinnedRegion = BuildPinnedRegion();
    SetWindowRgn(window, view.pinnedRegion, TRUE);
}

void CaptureWindow::Unpin() {
    pinned = 0;
    view.pinnedMode = false;
    view.toolPanel.SetPinned(false);
    view.toolPanel.Layout();
    view.pinnedRegion = nullptr;
    SetWindowRgn(window, nullptr, TRUE);
    PostMessageW(window, WM_KILLFOCUS, 0, 0);
}

// ---------------------------------------------------------------------------
// Frame tick

int CaptureWindow::OnFrame() {
    Selection& s = view.selection;
    s.patternPhase = (s.patternPhase + 1) & 3;
    CountDownLabels(view.Labels());
    // Everything animated or timed: the ring, the panes, the labels, the menu.
    InvalidateOverlays();
    return 1;
}

void CaptureWindow::Invalidate(const Rect& r) {
    if (r.IsEmpty()) return;
    RECT rc{r.left, r.top, r.right, r.bottom};
    InvalidateRect(window, &rc, FALSE);
}

void CaptureWindow::FollowCursorToPointer() {
    POINT p;
    GetCursorPos(&p);
    const Point at = view.Monitors().FromDesktopPoint(Point{p.x, p.y});
    view.zoomPane.FollowCursor(at.x, at.y);
}

}  // namespace mrv
