// Saving, copying and the settings dialog as the commands see them.
#include "capture/CaptureWindow.h"
#include "settings/MenuRadioGroups.h"

namespace mrv {

void CaptureWindow::InitSaving() { naming_.BindSettings(settings); }

void CaptureWindow::SelectFormat(int code, bool exact) {
    naming_.SetFormat(static_cast<std::uint8_t>(code), exact);
}

void CaptureWindow::RefreshMenuChecks() { mrv::RefreshMenuChecks(view.menuPane, settings); }

void CaptureWindow::SaveSelection(bool) { RefreshMenuChecks(); }
void CaptureWindow::CopySelection(bool) {
    if (settings.minimizeAfterCopy) MinimizeWindow();
}
void CaptureWindow::OpenSettingsDialog() {}
std::wstring CaptureWindow::CurrentFolder() const { return naming_.CurrentFolder(); }
std::wstring CaptureWindow::LastFilePath() const { return naming_.FilePath(); }

}  // namespace mrv
