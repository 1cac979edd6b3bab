// The capture program's one Application object: it owns every piece of
// state, comes up and goes down, carries out the commands, switches between
// full-screen, minimised, task-tray and pinned modes, and drives the frame tick
// and the pointer and key handlers.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "app/Application.h"
#include "base/MessageBox_win.h"
#include "output/SaveTarget_win.h"
#include "settings/Settings.h"
#include "view/ScreenView_win.h"

namespace mrv {

class CaptureWindow : public Application {
public:
    static constexpr int kCursorCount = 12;
    // The cursors' side at 96 dpi.
    static constexpr int kCursorSize96 = 32;

    // Shows a message box owned by the main window and returns the button
    // chosen. The program uses ShowMessageBox (MessageBoxW, or its own box
    // where the system's message font has no Japanese glyphs); a test puts a
    // stand-in that answers at once, since a real box would block until
    // someone clicks it.
    using MessageBoxFunction =
        std::function<int(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type)>;

    CaptureWindow();
    ~CaptureWindow() override;

    // Application hooks.
    int OnInit() override;
    int OnFrame() override;
    int OnShutdown() override;
    int WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    int OnDelayedCallback() override;
    void OnCreate(LPARAM createParams) override;
    void OnCommand(WPARAM wParam) override;
    void Draw(HDC dc) override;
    void OnSetFocus(WPARAM wParam) override;
    void OnKillFocus(WPARAM wParam) override;
    void OnMouseMove(int x, int y) override;
    void OnLButtonDown(int x, int y) override;
    void OnLButtonUp(int x, int y) override;
    void OnLButtonDblClk(int x, int y) override;
    void OnRButtonDown(int x, int y) override;
    void OnRButtonUp(int x, int y) override;
    void OnKeyDown(WPARAM virtualKey) override;
    // The open popup menu takes every key, Esc and the accelerators' keys too.
    bool KeysBypassAccelerators() override;

    // Window modes.
    void MinimizeWindow();
    void RestoreFullScreen();
    void SetTrayIcon(bool on);
    void Pin();
    void Unpin();
    // While pinned: snapshots the live screen for a save or a copy, with the
    // program's own panel out of the picture.
    void CaptureLiveScreen();

    // The global hotkey (settings.extension). Registered once the window
    // exists and released at shutdown; a failed registration is shown once,
    // as a label at the next capture, and tried again when the setting
    // changes (HotkeySettingApplied, after the settings dialog's OK).
    static constexpr int kHotkeyId = 1;
    void RegisterGlobalHotkey();
    void ReleaseGlobalHotkey();
    void HotkeySettingApplied();
    bool HotkeyRegistered() const { return hotkeyRegistered_; }
    // WM_HOTKEY: minimised or in the tray, the same restore a click on the
    // taskbar button or the tray icon gives; otherwise nothing.
    void OnHotkey();

    // Every message box of the program goes through `show`; modalOpen is set
    // before it is called, as before a real box.
    void SetMessageBoxFunction(MessageBoxFunction show) { showMessageBox_ = std::move(show); }

    // A notice for the first activation, said once, in order, before the
    // first-run message and the read-only folder (a missing Japanese font).
    void AddStartNotice(std::wstring text) { startNotices_.push_back(std::move(text)); }

    // Runs tool-panel button `index` (0-19) as its command table says.
    void RunToolButton(int index);

    // Pointer handling.
    int PointerCode() const;
    void SetPointerCursor(int code);
    void TrackZoomPane(int x, int y, bool dragging, bool fromKeyboard);
    void InvalidateOverlays();

    Settings settings;
    HCURSOR cursorTable[kCursorCount] = {};
    // The cursor table, the program's own cursors at the scale's size. Each
    // size is loaded once and kept for the program's life: moving between
    // monitors of different scales only swaps the table's handles.
    void LoadCursors(UiScale scale);
    ScreenView view;
    SaveTarget saveTarget;

    int leftButtonHeld = 0;
    int minimizeCancelled = 0;
    int modalOpen = 0;
    int pinned = 0;
    int firstRun = 0;
    // The executable's folder takes no files: neither the settings nor the
    // saves (whose default folder it is) can be kept there.
    int folderReadOnly = 0;

    NOTIFYICONDATAW trayIconData{};

    // Posted by RestoreFullScreen and by the system's restore of the
    // minimised window: places the window once more after the activation.
    static constexpr UINT kPlaceAgainMessage = WM_APP + 1;

private:
    struct CursorSet {
        int size = 0;  // 0: the size the resources give at 96 dpi
        HCURSOR cursors[kCursorCount - 2] = {};
    };
    std::vector<CursorSet> cursorSets_;
    void OnMenuKey(WPARAM virtualKey);
    void RunMenuCommand(int command);
    void OnTrayCallback(LPARAM mouseMessage);
    // At the first activation: the notices of the start (a missing Japanese
    // font), then the first-run message and the read-only folder; each once.
    void ShowStartupNotices();
    void TakeSnapshot();
    // A monitor came or went, or changed its resolution.
    void OnDisplayChange();
    HRGN BuildPinnedRegion() const;
    // Writes the settings file and removes the tray icon, once: at the
    // normal end or when the session ends.
    void SaveSessionState();
    void ShowPendingHotkeyMessage();
    int ShowMessage(const wchar_t* text);
    std::wstring LoadText(UINT id) const;
    void Invalidate(const Rect& r);
    void RefreshMenuChecks();
    void SelectFormat(int code, bool exact);
    void SaveSelection(bool saveAs);
    void CopySelection(bool reduced);
    void OpenSettingsDialog();
    void ToggleZoom();
    void FollowCursorToPointer();
    void InitSaving();
    void OpenInShell(const std::wstring& target);
    std::wstring CurrentFolder() const;
    std::wstring LastFilePath() const;

    // The first snapshot is taken before the window is first shown, so that
    // it can never catch the program's own window; the activation that
    // follows then keeps it instead of taking another. Only when the window
    // is shown at start: started minimised or hidden, the first activation
    // may come hours later and captures afresh.
    bool keepFirstSnapshot_ = false;
    bool hotkeyRegistered_ = false;
    bool hotkeyMessagePending_ = false;
    SettingsExtension registeredHotkey_{kHotkeyNone, 0};
    // A left press beside the open menu only closes it: the rest of that
    // click does nothing, nor does a double-click it starts.
    bool swallowClick_ = false;
    bool menuClosedByPress_ = false;
    // A snapshot was taken while the minimised window was being restored;
    // the activation that follows shows it instead of taking another.
    bool snapshotFresh_ = false;
    bool restoring_ = false;
    // The tray menu is up: the activation it needs is not a request to capture.
    bool trayMenuOpen_ = false;
    bool sessionSaved_ = false;
    UINT taskbarCreatedMessage_ = 0;
    MessageBoxFunction showMessageBox_ = ShowMessageBox;
    std::vector<std::wstring> startNotices_;
};

}  // namespace mrv
