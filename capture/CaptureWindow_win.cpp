// Start-up and shutdown, window modes and the frame tick of the capture window.
#include "capture/CaptureWindow.h"

#include <string>
#include <vector>

#include "output/FileSink_win.h"
#include "output/MessageText.h"
#include "resources/resource.h"

namespace mrv {
namespace {

constexpr UINT kFrameIntervalMs = 250;
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
    return showMessageBox_ ? showMessageBox_(window, text, kCaption, MB_OK) : 0;
}

void CaptureWindow::LoadCursors(UiScale scale) {
    cursorTable[0] = LoadCursorW(nullptr, IDC_ARROW);
    cursorTable[1] = LoadCursorW(nullptr, IDC_WAIT);
    const int resourceCursors[] = {
        IDC_OUTSIDE, IDC_OUTSIDE_CORNER_SNAP, IDC_FOUR_WAY,  IDC_SIZE_WE, IDC_SIZE_NWSE,
        IDC_SIZE_NS, IDC_SIZE_NESW,           IDC_MOVE_ZONE, IDC_MOVING,  IDC_TOOL_BUTTON};
    for (int i = 0; i < 10; ++i) {
        const wchar_t* id = MAKEINTRESOURCEW(resourceCursors[i]);
        HCURSOR cursor = nullptr;
        // Scaled, the cursors are loaded at the scale's size (32 pixels at 96
        // dpi); they live as long as the program.
        if (!scale.IsUnscaled()) {
            const int size = scale.Px(kCursorSize96);
            cursor = static_cast<HCURSOR>(LoadImageW(instance, id, IMAGE_CURSOR, size, size, 0));
        }
        cursorTable[2 + i] = cursor != nullptr ? cursor : LoadCursorW(instance, id);
    }
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

    if (!view.InitScreenView(settings, instance)) return 0;
    LoadCursors(view.CurrentUiScale());
    RefreshMenuChecks();

    style = WS_POPUP;
    exStyle = 0;
    leftButtonHeld = 0;
    minimizeCancelled = 0;
    modalOpen = 0;
    pinned = 0;
    x = 0;
    y = 0;
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
    view.CaptureScreen();
    keepFirstSnapshot_ = true;
}

int CaptureWindow::OnShutdown() {
    view.ReleaseFontAndMenu();
    // An unwritable folder loses this run's changes but must not stop the
    // program from ending normally.
    (void)SaveSettingsFile(SettingsFilePath(ToUtf8(exeDirectory)), settings);
    if (settings.inTaskTray) {
        Shell_NotifyIconW(NIM_DELETE, &trayIconData);
        settings.inTaskTray = 0;
    }
    return 1;
}

int CaptureWindow::WindowProc(HWND, UINT message, WPARAM wParam, LPARAM lParam) {
    if (RouteToHooks(message, wParam, lParam)) return 1;
    if (message == TRAY_CALLBACK_MESSAGE) {
        OnTrayCallback(lParam);
        return 1;
    }
    if (taskbarCreatedMessage_ != 0 && message == taskbarCreatedMessage_) {
        // Explorer restarted and forgot every tray icon: put ours back.
        if (settings.inTaskTray) Shell_NotifyIconW(NIM_ADD, &trayIconData);
        return 0;
    }
    return 0;
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
    ShowWindow(window, settings.inTaskTray ? SW_HIDE : SW_MINIMIZE);
}

void CaptureWindow::RestoreFullScreen() {
    // Coming back from a minimise the window is still the 8 x 8 one off the
    // screen at this moment, so it is not in the picture.
    if (keepFirstSnapshot_)
        keepFirstSnapshot_ = false;
    else
        view.CaptureScreen();
    SetFramesPaused(false);
    MoveWindow(window, 0, 0, view.ScreenWidth(), view.ScreenHeight(), TRUE);
    ShowWindow(window, SW_SHOW);
    FollowCursorToPointer();
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE);
    InvalidateRect(window, nullptr, FALSE);
}

void CaptureWindow::SetTrayIcon(bool on) {
    Shell_NotifyIconW(on ? NIM_ADD : NIM_DELETE, &trayIconData);
    settings.inTaskTray = on ? 1 : 0;
}

void CaptureWindow::OnSetFocus(WPARAM) {
    if (!pinned) {
        if (modalOpen)
            modalOpen = 0;
        else
            RestoreFullScreen();
    }
    ShowStartupNotices();
}

// What start-up found that the user must know, once per run, in this order,
// at the first activation. Each flag is cleared before any box opens: the
// focus that comes back as a box closes runs this again.
void CaptureWindow::ShowStartupNotices() {
    std::vector<std::wstring> notices;
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
            SetForegroundWindow(window);
            TrackPopupMenu(trayMenu, TPM_RIGHTBUTTON, p.x, p.y, 0, window, nullptr);
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
    HRGN region = view.BuildFrameRegion();
    // A hidden panel is not painted; its box would show a piece of the old
    // picture over the live screen and swallow the clicks there.
    if (view.toolPanel.IsVisible()) {
        const Rect panel = view.toolPanel.OuterRect();
        HRGN panelRegion = CreateRectRgn(panel.left, panel.top, panel.right, panel.bottom);
        CombineRgn(region, region, panelRegion, RGN_OR);
        DeleteObject(panelRegion);
    }
    // The region belongs to the system from here on.
    view.pinnedRegion = region;
    SetWindowRgn(window, region, TRUE);
    InvalidateRect(window, nullptr, FALSE);
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
    view.zoomPane.FollowCursor(p.x, p.y);
}

}  // namespace mrv
