#include "capture/CaptureWindow.h"

namespace mrv {

CaptureWindow::CaptureWindow() = default;

int CaptureWindow::OnInit() {
    title = L"MORVANTE";
    // A borderless window over the whole primary screen. The process is
    // per-monitor DPI aware (manifest), so these are physical pixels.
    style = WS_POPUP;
    exStyle = WS_EX_TOPMOST;
    x = 0;
    y = 0;
    clientWidth = GetSystemMetrics(SM_CXSCREEN);
    clientHeight = GetSystemMetrics(SM_CYSCREEN);
    icon = LoadIconW(instance, MAKEINTRESOURCEW(109));
    CreateBackBuffer(0, 0);
    return 1;
}

int CaptureWindow::WindowProc(HWND, UINT message, WPARAM wParam, LPARAM lParam) {
    return RouteToHooks(message, wParam, lParam);
}

void CaptureWindow::OnKeyDown(WPARAM virtualKey) {
    if (virtualKey == VK_ESCAPE) PostQuitMessage(0);
}

}  // namespace mrv
