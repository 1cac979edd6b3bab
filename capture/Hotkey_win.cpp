// The global hotkey: from the taskbar or the tray it brings a fresh capture
// back without a click, which would close the menu or tooltip the user wants
// to capture.
#include "capture/CaptureWindow.h"
#include "settings/Hotkey.h"

namespace mrv {
namespace {

static_assert(kHotkeyAlt == MOD_ALT && kHotkeyControl == MOD_CONTROL && kHotkeyShift == MOD_SHIFT,
              "the file keeps RegisterHotKey's modifier bits");

}  // namespace

void CaptureWindow::RegisterGlobalHotkey() {
    if (hotkeyRegistered_) UnregisterHotKey(window, kHotkeyId);
    hotkeyRegistered_ = false;
    hotkeyMessagePending_ = false;
    // What was asked for, registered or not: a failure is reported once and
    // tried again only when the setting changes.
    registeredHotkey_ = settings.extension;
    const SettingsExtension& hotkey = settings.extension;
    if (hotkey.hotkeyKey == kHotkeyNone || !window) return;
    // MOD_NOREPEAT: holding the key down brings the window back once.
    const UINT modifiers = static_cast<UINT>(hotkey.hotkeyModifiers) | MOD_NOREPEAT;
    hotkeyRegistered_ =
        RegisterHotKey(window, kHotkeyId, modifiers, static_cast<UINT>(hotkey.hotkeyKey)) != FALSE;
    hotkeyMessagePending_ = !hotkeyRegistered_;
}

void CaptureWindow::ReleaseGlobalHotkey() {
    if (hotkeyRegistered_) UnregisterHotKey(window, kHotkeyId);
    hotkeyRegistered_ = false;
}

void CaptureWindow::HotkeySettingApplied() {
    if (settings.extension == registeredHotkey_) return;
    RegisterGlobalHotkey();
    // The window is up over its snapshot: say it now rather than at the next
    // capture, while the user still knows what was just chosen.
    ShowPendingHotkeyMessage();
}

void CaptureWindow::ShowPendingHotkeyMessage() {
    if (!hotkeyMessagePending_) return;
    hotkeyMessagePending_ = false;
    const std::wstring text = HotkeyUnavailableMessage(settings.extension);
    if (view.selection.GetRect().IsEmpty()) {
        // Nothing selected yet (the first capture): the middle of the screen.
        ShowLabelText(view.secondLabel, view.Measurer(), view.ScreenWidth() / 2,
                      view.ScreenHeight() / 2, true, text, true);
    } else {
        ShowCentredMessage(view.Labels(), view.Measurer(), text);
    }
    InvalidateOverlays();
}

void CaptureWindow::OnHotkey() {
    // Over the full-screen window the key belongs to whatever the user does
    // there, and a pinned frame stays as it is. A modal dialog or box of the
    // program (its owner is disabled meanwhile) keeps the window where it is.
    if (pinned || !IsWindowEnabled(window)) return;
    if (frameInterval != 0 && IsWindowVisible(window) && !IsIconic(window)) return;
    // A flag left over from a box that never gave the focus back.
    modalOpen = 0;
    RestoreFullScreen();
    // The key press entitles this program to the foreground; without it the
    // keys would still go to the window under the pointer.
    SetForegroundWindow(window);
}

}  // namespace mrv
