// Test helper: reports window facts that X tools cannot see (window class,
// Win32 rectangle, topmost and minimised state, window region), one line of
// "key=value" pairs per request, and posts messages the program reacts to.
//
//   probe.exe window CLASS TITLE   -> found=1 visible=1 iconic=0 topmost=1 left=.. top=.. right=.. bottom=.. region=..
//   probe.exe count CLASS          -> count=N (visible top-level windows of that class)
//   probe.exe screen               -> width=.. height=.. (the primary monitor)
//                                     virtual_width=.. virtual_height=..
//   probe.exe monitors             -> virtual=x,y,w,h then one line per monitor: monitor=l,t,r,b
//   probe.exe foreground           -> class=.. title=..
//   probe.exe post CLASS TITLE MSG WPARAM LPARAM
//   probe.exe restore CLASS TITLE  -> restores and activates the window, as a task switcher does
//   probe.exe trayicon CLASS TITLE -> tray=1 when the window has a tray icon with id 0
//   probe.exe dialog TITLE         -> found=1 text=... (a message box or dialog of that title)
//   probe.exe dlgtext TITLE ID [TEXT] -> sets (and reports) a control's text in that dialog
//   probe.exe dlgcommand TITLE ID  -> posts WM_COMMAND ID to that dialog (IDOK 1, IDCANCEL 2)
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

struct CountContext {
    const wchar_t* className;
    int count;
};

BOOL CALLBACK PrintMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM) {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (GetMonitorInfoW(monitor, &info))
        std::printf("monitor=%ld,%ld,%ld,%ld\n", info.rcMonitor.left, info.rcMonitor.top,
                    info.rcMonitor.right, info.rcMonitor.bottom);
    return TRUE;
}

BOOL CALLBACK CountProc(HWND window, LPARAM param) {
    auto* ctx = reinterpret_cast<CountContext*>(param);
    wchar_t cls[256];
    if (GetClassNameW(window, cls, 256) && std::wcscmp(cls, ctx->className) == 0 &&
        IsWindowVisible(window))
        ++ctx->count;
    return TRUE;
}

std::string Narrow(const wchar_t* s) {
    char buf[1024];
    int n = WideCharToMultiByte(CP_UTF8, 0, s, -1, buf, sizeof(buf), nullptr, nullptr);
    return n > 0 ? std::string(buf) : std::string();
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    SetProcessDPIAware();
    if (argc < 2) return 2;
    const std::wstring cmd = argv[1];
    if (cmd == L"window" && argc >= 4) {
        HWND w = FindWindowW(argv[2], argv[3]);
        if (!w) {
            std::printf("found=0\n");
            return 0;
        }
        RECT r{};
        GetWindowRect(w, &r);
        const LONG_PTR ex = GetWindowLongPtrW(w, GWL_EXSTYLE);
        HRGN rgn = CreateRectRgn(0, 0, 0, 0);
        const int regionType = GetWindowRgn(w, rgn);
        RECT box{};
        if (regionType != ERROR) GetRgnBox(rgn, &box);
        DeleteObject(rgn);
        std::printf(
            "found=1 visible=%d iconic=%d topmost=%d left=%ld top=%ld right=%ld bottom=%ld "
            "region=%d region_left=%ld region_top=%ld region_right=%ld region_bottom=%ld\n",
            IsWindowVisible(w) ? 1 : 0, IsIconic(w) ? 1 : 0, (ex & WS_EX_TOPMOST) ? 1 : 0, r.left,
            r.top, r.right, r.bottom, regionType == ERROR ? 0 : 1, box.left, box.top, box.right,
            box.bottom);
        return 0;
    }
    if (cmd == L"count" && argc >= 3) {
        CountContext ctx{argv[2], 0};
        EnumWindows(CountProc, reinterpret_cast<LPARAM>(&ctx));
        std::printf("count=%d\n", ctx.count);
        return 0;
    }
    if (cmd == L"screen") {
        std::printf("width=%d height=%d virtual_width=%d virtual_height=%d\n",
                    GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                    GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN));
        return 0;
    }
    if (cmd == L"monitors") {
        std::printf("virtual=%d,%d,%d,%d\n", GetSystemMetrics(SM_XVIRTUALSCREEN),
                    GetSystemMetrics(SM_YVIRTUALSCREEN), GetSystemMetrics(SM_CXVIRTUALSCREEN),
                    GetSystemMetrics(SM_CYVIRTUALSCREEN));
        EnumDisplayMonitors(nullptr, nullptr, PrintMonitor, 0);
        return 0;
    }
    if (cmd == L"foreground") {
        HWND w = GetForegroundWindow();
        wchar_t cls[256] = L"", title[256] = L"";
        if (w) {
            GetClassNameW(w, cls, 256);
            GetWindowTextW(w, title, 256);
        }
        std::printf("class=%s title=%s\n", Narrow(cls).c_str(), Narrow(title).c_str());
        return 0;
    }
    if (cmd == L"trayicon" && argc >= 4) {
        HWND w = FindWindowW(argv[2], argv[3]);
        if (!w) {
            std::printf("tray=0\n");
            return 0;
        }
        // Modifying nothing succeeds exactly when the icon exists.
        NOTIFYICONDATAW data{};
        data.cbSize = sizeof(data);
        data.hWnd = w;
        data.uID = 0;
        data.uFlags = 0;
        std::printf("tray=%d\n", Shell_NotifyIconW(NIM_MODIFY, &data) ? 1 : 0);
        return 0;
    }
    if (cmd == L"dialog" && argc >= 3) {
        HWND w = FindWindowW(L"#32770", argv[2]);
        if (!w) {
            std::printf("found=0\n");
            return 0;
        }
        // The message text is the static control with id 0xFFFF.
        wchar_t text[2048] = L"";
        GetDlgItemTextW(w, 0xFFFF, text, 2048);
        std::printf("found=1 visible=%d text=%s\n", IsWindowVisible(w) ? 1 : 0,
                    Narrow(text).c_str());
        return 0;
    }
    if (cmd == L"dlgtext" && argc >= 4) {
        HWND w = FindWindowW(L"#32770", argv[2]);
        if (!w) return 1;
        const int id = static_cast<int>(std::wcstol(argv[3], nullptr, 0));
        if (argc >= 5) SetDlgItemTextW(w, id, argv[4]);
        wchar_t text[1024] = L"";
        GetDlgItemTextW(w, id, text, 1024);
        std::printf("text=%s\n", Narrow(text).c_str());
        return 0;
    }
    if (cmd == L"dlgcommand" && argc >= 4) {
        HWND w = FindWindowW(L"#32770", argv[2]);
        if (!w) return 1;
        PostMessageW(w, WM_COMMAND, MAKEWPARAM(std::wcstol(argv[3], nullptr, 0), BN_CLICKED), 0);
        std::printf("posted=1\n");
        return 0;
    }
    if (cmd == L"restore" && argc >= 4) {
        HWND w = FindWindowW(argv[2], argv[3]);
        if (!w) return 1;
        ShowWindow(w, SW_RESTORE);
        SetForegroundWindow(w);
        std::printf("restored=1\n");
        return 0;
    }
    if (cmd == L"post" && argc >= 7) {
        HWND w = FindWindowW(argv[2], argv[3]);
        if (!w) return 1;
        PostMessageW(w, static_cast<UINT>(std::wcstoul(argv[4], nullptr, 0)),
                     static_cast<WPARAM>(std::wcstoull(argv[5], nullptr, 0)),
                     static_cast<LPARAM>(std::wcstoll(argv[6], nullptr, 0)));
        std::printf("posted=1\n");
        return 0;
    }
    return 2;
}
