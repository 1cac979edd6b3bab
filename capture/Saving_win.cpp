// Saving, copying and the settings dialog as the commands see them.
#include "capture/CaptureWindow.h"
#include "output/Clipboard_win.h"
#include "settings/MenuRadioGroups.h"
#include "settings/SettingsDialog_win.h"

namespace mrv {

void CaptureWindow::InitSaving() {
    // The window does not exist yet; OnCreate hands the dialog its owner.
    saveTarget.SetUpSaveDialog(nullptr, instance);
    // At start-up a missing save folder silently becomes the exe directory;
    // the prepared message stays unshown.
    (void)saveTarget.AttachSettings(settings, exeDirectory);
}

void CaptureWindow::SelectFormat(int code, bool exact) {
    saveTarget.SetFormat(static_cast<std::uint8_t>(code), exact);
}

void CaptureWindow::RefreshMenuChecks() { mrv::RefreshMenuChecks(view.menuPane, settings); }

void CaptureWindow::SaveSelection(bool saveAs) {
    if (!view.CaptureSelection()) {
        // Nothing to save and no message; but a family chosen just before
        // (Ctrl+B, Ctrl+P, Ctrl+J) is the current format now, and the menu
        // must show it.
        RefreshMenuChecks();
        return;
    }
    modalOpen = saveAs ? 1 : 0;
    SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
    switch (saveTarget.SaveImage(view.outputImage, saveAs)) {
        case SaveOutcome::kSaved:
            ShowCentredMessage(view.Labels(), view.Measurer(), saveTarget.SavedMessage());
            InvalidateOverlays();
            break;
        case SaveOutcome::kFailed:
            ShowMessage(saveTarget.Message().c_str());
            break;
        case SaveOutcome::kCancelled:
            break;
    }
    RefreshMenuChecks();
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
}

void CaptureWindow::CopySelection(bool reduced) {
    // Copies take the frozen snapshot as it is, also while pinned.
    (void)CaptureAndCopy(window, view.outputImage, view.SnapshotPixels(), view.selection.GetRect(),
                         reduced ? kVariant8 : kVariantAsCaptured);
    if (settings.minimizeAfterCopy) MinimizeWindow();
}

void CaptureWindow::OpenSettingsDialog() {
    SettingsDialogHooks hooks;
    hooks.beforeOpen = [this] { modalOpen = 1; };
    hooks.applied = [this] {
        view.ApplySettingsToView(settings);
        HotkeySettingApplied();
        return saveTarget.AttachSettings(settings, exeDirectory) != 0;
    };
    // modalOpen is cleared by the focus coming back, so that this return of
    // the focus does not take a new snapshot.
    hooks.afterClose = nullptr;
    (void)RunSettingsDialog(window, instance, settings, hooks);
}

std::wstring CaptureWindow::CurrentFolder() const { return saveTarget.CurrentFolder(); }
std::wstring CaptureWindow::LastFilePath() const { return saveTarget.FilePath(); }

}  // namespace mrv
