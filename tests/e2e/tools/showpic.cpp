// Test helper: shows a BMP file in a full-screen window (not topmost), so the
// program under test has a known picture "on the screen" beneath it. Wine
// repaints the X root window black, so the picture cannot live there.
//
//   showpic.exe picture.bmp
//
// Posting WM_USER + 1 to it reads the file again, so a test can change what
// is on the screen without another window coming up over the program.
#include <windows.h>

#include <string>

namespace {

HBITMAP picture = nullptr;
std::wstring picturePath;

HBITMAP LoadPicture() {
    return static_cast<HBITMAP>(LoadImageW(nullptr, picturePath.c_str(), IMAGE_BITMAP, 0, 0,
                                           LR_LOADFROMFILE | LR_CREATEDIBSECTION));
}

LRESULT CALLBACK ShowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(window, &ps);
            HDC mem = CreateCompatibleDC(dc);
            HGDIOBJ old = SelectObject(mem, picture);
            BITMAP bm{};
            GetObjectW(picture, sizeof(bm), &bm);
            BitBlt(dc, 0, 0, bm.bmWidth, bm.bmHeight, mem, 0, 0, SRCCOPY);
            SelectObject(mem, old);
            DeleteDC(mem);
            EndPaint(window, &ps);
            return 0;
        }
        case WM_ERASEBKGND:
            return 1;
        case WM_USER + 1:
            if (HBITMAP fresh = LoadPicture()) {
                DeleteObject(picture);
                picture = fresh;
                InvalidateRect(window, nullptr, FALSE);
                UpdateWindow(window);
            }
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    SetProcessDPIAware();
    picturePath = commandLine;
    picture = LoadPicture();
    if (!picture) return 2;
    WNDCLASSW wc{};
    wc.lpfnWndProc = ShowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = L"MRV_SHOWPIC";
    RegisterClassW(&wc);
    // Over every monitor: the picture's (0, 0) at the virtual screen's top-left.
    HWND window = CreateWindowExW(
        0, wc.lpszClassName, L"showpic", WS_POPUP | WS_VISIBLE,
        GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
        GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN), nullptr, nullptr,
        instance, nullptr);
    if (!window) return 3;
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
