// The command table: what each menu item, accelerator and tool button does.
#include "capture/CaptureWindow.h"
#include "resources/resource.h"

namespace mrv {
namespace {

// Format codes chosen by the variant commands.
struct FormatCommand {
    int id;
    std::uint8_t code;
};
constexpr FormatCommand kFormatCommands[] = {
    {IDM_BMP_24, 0x10},        {IDM_BMP_565, 0x14},       {IDM_BMP_555, 0x18},
    {IDM_BMP_8, 0x1C},         {IDM_PNG_24, 0x20},        {IDM_PNG_8, 0x2C},
    {IDM_JPEG_HIGH, 0x30},     {IDM_JPEG_STANDARD, 0x31}, {IDM_JPEG_MEDIUM, 0x32},
    {IDM_JPEG_LOW, 0x33},
};

int FormatCodeFor(int id) {
    for (const FormatCommand& f : kFormatCommands)
        if (f.id == id) return f.code;
    return -1;
}

// Tool buttons: the command each runs, and whether a sequential save follows.
struct ToolCommand {
    int id;
    bool thenSave;
};
constexpr ToolCommand kToolCommands[kToolButtonCount] = {
    {IDM_SAVE_SEQUENTIAL_BMP, false}, {IDM_BMP_24, true},
    {IDM_BMP_8, true},                {IDM_SAVE_SEQUENTIAL_PNG, false},
    {IDM_PNG_24, true},               {IDM_PNG_8, true},
    {IDM_SAVE_SEQUENTIAL_JPEG, false}, {IDM_JPEG_HIGH, true},
    {IDM_JPEG_STANDARD, true},        {IDM_JPEG_MEDIUM, true},
    {IDM_JPEG_LOW, true},             {IDM_COPY, false},
    {IDM_COPY_REDUCED, false},        {IDM_OPEN_FOLDER, false},
    {IDM_OPEN_LAST_IMAGE, false},     {IDM_PIN_WINDOW, false},
    {0, false},  // the drawing tool has no command
    {IDM_SETTINGS, false},            {IDM_MINIMIZE, false},
    {IDM_EXIT, false},
};

}  // namespace

void CaptureWindow::OnCommand(WPARAM wParam) {
    const int id = LOWORD(wParam);
    bool refresh = true;
    if (const int code = FormatCodeFor(id); code >= 0) {
        SelectFormat(code, true);
    } else {
        switch (id) {
            case IDM_COPY:
                refresh = false;
                CopySelection(false);
                break;
            case IDM_COPY_REDUCED:
                refresh = false;
                CopySelection(true);
                break;
            case IDM_EXIT:
                PostQuitMessage(0);
                return;
            case IDM_MINIMIZE:
                refresh = false;
                Unpin();
                break;
            case IDM_SAVE_SEQUENTIAL:
                SaveSelection(false);  // refreshes the marks itself
                return;
            case IDM_SAVE_AS:
                SaveSelection(true);
                return;
            case IDM_SAVE_SEQUENTIAL_BMP:
                SelectFormat(kFormatFamilyBmp, false);
                SaveSelection(false);
                return;
            case IDM_SAVE_SEQUENTIAL_PNG:
                SelectFormat(kFormatFamilyPng, false);
                SaveSelection(false);
                return;
            case IDM_SAVE_SEQUENTIAL_JPEG:
                SelectFormat(kFormatFamilyJpeg, false);
                SaveSelection(false);
                return;
            case IDM_ZOOM_VIEW:
                ToggleZoom();
                break;
            case IDM_OPEN_FOLDER:
                refresh = false;
                OpenInShell(CurrentFolder());
                break;
            case IDM_OPEN_LAST_IMAGE:
                refresh = false;
                OpenInShell(LastFilePath());
                break;
            case IDM_FORMAT_BMP:
                SelectFormat(kFormatFamilyBmp, false);
                break;
            case IDM_FORMAT_PNG:
                SelectFormat(kFormatFamilyPng, false);
                break;
            case IDM_FORMAT_JPEG:
                SelectFormat(kFormatFamilyJpeg, false);
                break;
            case IDM_CLEAR_SELECTION:
                view.selection.Clear();
                InvalidateOverlays();
                break;
            case IDM_SETTINGS:
                OpenSettingsDialog();
                break;
            case IDM_TASKTRAY:
                SetTrayIcon(settings.inTaskTray == 0);
                break;
            case IDM_RESTORE_FROM_TRAY:
                SetTrayIcon(false);
                MinimizeWindow();
                break;
            case IDM_PIN_WINDOW:
                pinned = 1;
                Pin();
                break;
            default:
                return;  // not a command of ours: nothing, not even the marks
        }
    }
    if (refresh) RefreshMenuChecks();
}

void CaptureWindow::RunToolButton(int index) {
    if (index < 0 || index >= kToolButtonCount) return;
    const ToolCommand& t = kToolCommands[index];
    if (t.id == 0) return;
    OnCommand(static_cast<WPARAM>(t.id));
    if (t.thenSave) OnCommand(IDM_SAVE_SEQUENTIAL);
}

void CaptureWindow::ToggleZoom() {
    settings.zoomVisible = settings.zoomVisible ? 0 : 1;
    view.zoomPane.SetVisible(settings.zoomVisible != 0);
}

void CaptureWindow::OpenInShell(const std::wstring& target) {
    if (target.empty()) return;
    ShellExecuteW(window, L"open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace mrv
