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
    // A pinned frame saves what is visible through it now.
    if (view.pinnedMode) CaptureLiveScreen();
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
    // Save As has returned; a focus that came back while pinned did not clear it.
    modalOpen = 0;
    RefreshMenuChecks();
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
}

void CaptureWindow::CopySelection(bool reduced) {
    // A pinned frame shows the live screen and copies what it shows, as a
    // pinned save does; otherwise the frozen snapshot as it is.
    if (view.pinnedMode) CaptureLiveScreen();
    (void)CaptureAndCopy(window, view.outputImage, view.SnapshotPixels(), view.selection.GetRect(),
                         reduced ? kVariant8 : kVariantAsCaptured);
    if (settings.minimizeAfterCopy) MinimizeWindow();
}

void CaptureWindow::OpenSettingsDialog() {
    SettingsDialogHooks hooks;
    hooks.beforeOpen = [this] { modalOpen = 1; };
    hooks.applied = [this] {
        view.ApplySettingsToView(settings);
        return saveTarget.AttachSettings(settings, exeDirectory) != 0;
    };
    // The focus coming back clears modalOpen without a new snapshot when not
    // pinned; while pinned it does not, so the dialog's return clears it too.
    hooks.afterClose = [this] { modalOpen = 0; };
    (void)RunSettingsDialog(window, instance, settings, hooks);
}

std::wstring CaptureWindow::CurrentFolder() const { return saveTarget.CurrentFolder(); }
std::wstring CaptureWindow::LastFilePath() const { return saveTarget.FilePath(); }

}  // namespace mrv
