#include "app/Application.h"

#include <windowsx.h>

#include <algorithm>

#include "base/Ticks.h"

namespace mrv {
namespace {

Application* theApplication = nullptr;

HANDLE instanceMutex = nullptr;
bool anotherInstance = false;

// One-shot delayed callback: 0 = not armed.
std::uint32_t delayMs = 0;
std::uint64_t delayArmedAt = 0;

// The frame interval kept aside by SetFramesPaused; 0 = never kept.
std::uint32_t savedFrameInterval = 0;

// The system tick count: about 16 ms steps, plenty for a 250 ms frame tick and
// a 300 ms delay, and it needs no timer resolution raised for the program's
// whole life (nor the multimedia DLL that would raise it).
std::uint64_t Now() { return GetTickCount64(); }

std::wstring DirectoryOfExecutable() {
    // Paths may be longer than MAX_PATH on systems with long paths enabled;
    // grow the buffer until the name fits.
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return std::wstring();
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        if (path.size() >= 32768) return std::wstring();
        path.resize(path.size() * 2);
    }
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

}  // namespace

Application::Application() { theApplication = this; }

Application::~Application() {
    ReleaseBackBuffer();
    if (theApplication == this) theApplication = nullptr;
}

int Application::OnInit() { return 1; }
int Application::OnStartup(const wchar_t*) { return OnInit(); }
int Application::OnFrame() { return 1; }
int Application::OnShutdown() { return 1; }
int Application::WindowProc(HWND, UINT, WPARAM, LPARAM) { return 0; }
int Application::OnSecondInstance() { return 0; }
int Application::OnDelayedCallback() { return 1; }
void Application::OnCreate(LPARAM) {}
void Application::OnDestroy() {}
void Application::OnCommand(WPARAM) {}
void Application::Draw(HDC) {}
void Application::OnSetFocus(WPARAM) {}
void Application::OnKillFocus(WPARAM) {}
void Application::OnSize(WPARAM, int, int) {}
void Application::OnMove(int, int) {}
void Application::OnMouseMove(int, int) {}
void Application::OnLButtonDown(int, int) {}
void Application::OnLButtonUp(int, int) {}
void Application::OnLButtonDblClk(int, int) {}
void Application::OnRButtonDown(int, int) {}
void Application::OnRButtonUp(int, int) {}
void Application::OnRButtonDblClk(int, int) {}
void Application::OnChar(WPARAM) {}
void Application::OnKeyDown(WPARAM) {}
void Application::OnKeyUp(WPARAM) {}
bool Application::KeysBypassAccelerators() { return false; }

int Application::OnPaint() {
    PAINTSTRUCT ps;
    if (backBufferDC_) {
        // The whole scene goes to the back buffer; the system clips the copy
        // to the invalid region, so only what changed reaches the screen.
        Draw(backBufferDC_);
        HDC dc = BeginPaint(window, &ps);
        BitBlt(dc, 0, 0, backBufferWidth_, backBufferHeight_, backBufferDC_, 0, 0, SRCCOPY);
        EndPaint(window, &ps);
    } else {
        HDC dc = BeginPaint(window, &ps);
        Draw(dc);
        EndPaint(window, &ps);
    }
    return 1;
}

int Application::RouteLifecycleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            OnCreate(lParam);
            return 1;
        case WM_DESTROY:
            OnDestroy();
            return 1;
        case WM_COMMAND:
            OnCommand(wParam);
            return 1;
        default:
            return 0;
    }
}

int Application::RouteWindowMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_MOVE:
            OnMove(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
            return 1;
        case WM_SIZE:
            OnSize(wParam, LOWORD(lParam), HIWORD(lParam));
            return 1;
        case WM_SETFOCUS:
            OnSetFocus(wParam);
            return 1;
        case WM_KILLFOCUS:
            OnKillFocus(wParam);
            return 1;
        default:
            return 0;
    }
}

int Application::RouteMouseMessage(UINT message, WPARAM, LPARAM lParam) {
    // Client coordinates, sign-extended: a captured mouse left of or above
    // the window reports negative positions.
    const int px = GET_X_LPARAM(lParam);
    const int py = GET_Y_LPARAM(lParam);
    switch (message) {
        case WM_MOUSEMOVE:
            OnMouseMove(px, py);
            return 1;
        case WM_LBUTTONDOWN:
            OnLButtonDown(px, py);
            return 1;
        case WM_LBUTTONUP:
            OnLButtonUp(px, py);
            return 1;
        case WM_LBUTTONDBLCLK:
            OnLButtonDblClk(px, py);
            return 1;
        case WM_RBUTTONDOWN:
            OnRButtonDown(px, py);
            return 1;
        case WM_RBUTTONUP:
            OnRButtonUp(px, py);
            return 1;
        case WM_RBUTTONDBLCLK:
            OnRButtonDblClk(px, py);
            return 1;
        default:
            return 0;
    }
}

int Application::RouteKeyMessage(UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_KEYDOWN:
            OnKeyDown(wParam);
            // Tracked after the hook: while OnKeyDown(VK_SHIFT) runs, the
            // state is still the one before the key went down.
            if (wParam == VK_SHIFT) shiftDown_ = 1;
            return 1;
        case WM_KEYUP:
            OnKeyUp(wParam);
            if (wParam == VK_SHIFT) shiftDown_ = 0;
            return 1;
        case WM_CHAR:
            OnChar(wParam);
            return 1;
        default:
            return 0;
    }
}

int Application::RouteToHooks(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) return OnPaint();
    return RouteLifecycleMessage(message, wParam, lParam) ||
           RouteWindowMessage(message, wParam, lParam) ||
           RouteMouseMessage(message, wParam, lParam) || RouteKeyMessage(message, wParam, lParam);
}

int Application::CreateBackBuffer(int width, int height) {
    ReleaseBackBuffer();
    backBufferWidth_ = width != 0 ? width : clientWidth;
    backBufferHeight_ = height != 0 ? height : clientHeight;

    HDC displayDC = CreateDCW(L"DISPLAY", nullptr, nullptr, nullptr);
    HBITMAP bitmap = nullptr;
    HDC memoryDC = nullptr;
    if (displayDC) {
        bitmap = CreateCompatibleBitmap(displayDC, backBufferWidth_, backBufferHeight_);
        memoryDC = CreateCompatibleDC(displayDC);
        DeleteDC(displayDC);
    }
    if (memoryDC && bitmap) {
        backBufferDC_ = memoryDC;
        backBufferBitmap_ = bitmap;
        previousBitmap_ = SelectObject(memoryDC, bitmap);
        if (HBRUSH black = CreateSolidBrush(RGB(0, 0, 0))) {
            RECT all{0, 0, backBufferWidth_, backBufferHeight_};
            FillRect(memoryDC, &all, black);
            DeleteObject(black);
        }
        return 1;
    }
    if (memoryDC) DeleteDC(memoryDC);
    if (bitmap) DeleteObject(bitmap);
    backBufferWidth_ = backBufferHeight_ = 0;
    backBufferDC_ = nullptr;
    backBufferBitmap_ = nullptr;
    previousBitmap_ = nullptr;
    return 0;
}

int Application::ReleaseBackBuffer() {
    if (!backBufferDC_) return 0;
    SelectObject(backBufferDC_, previousBitmap_);
    DeleteDC(backBufferDC_);
    const BOOL deleted = DeleteObject(backBufferBitmap_);
    backBufferWidth_ = backBufferHeight_ = 0;
    backBufferDC_ = nullptr;
    backBufferBitmap_ = nullptr;
    previousBitmap_ = nullptr;
    return deleted ? 1 : 0;
}

Application* GetApplication() { return theApplication; }
HINSTANCE GetInstance() { return theApplication ? theApplication->instance : nullptr; }
HWND GetMainWindow() { return theApplication ? theApplication->window : nullptr; }
const std::wstring& GetExeDirectory() {
    static const std::wstring empty;
    return theApplication ? theApplication->exeDirectory : empty;
}

int IsShiftDown() { return theApplication ? theApplication->IsShiftDown() : 0; }

void SetFramesPaused(bool paused) {
    if (!theApplication) return;
    if (paused) {
        // Pausing twice must not overwrite the kept interval with 0.
        if (theApplication->frameInterval != 0) savedFrameInterval = theApplication->frameInterval;
        theApplication->frameInterval = 0;
    } else if (savedFrameInterval != 0) {
        theApplication->frameInterval = savedFrameInterval;
    }
}

void ArmDelayedCallback(std::uint32_t milliseconds) {
    delayArmedAt = Now();
    delayMs = milliseconds;
}

bool AnotherInstanceRunning() { return anotherInstance; }

bool RegisterWindowClass(Application& application) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = MainWindowProc;
    wc.hInstance = application.instance;
    wc.hIcon = application.icon;
    wc.hIconSm = application.icon;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = application.name.c_str();
    if (RegisterClassExW(&wc)) return true;
    // A class left registered by an earlier Application of this process
    // (tests build several) serves just as well.
    return GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

void CreateMainWindow(Application& application) {
    RECT r{0, 0, application.clientWidth, application.clientHeight};
    AdjustWindowRectEx(&r, application.style, application.menu != nullptr, application.exStyle);
    // The handle is recorded by MainWindowProc at WM_CREATE, so hooks that
    // run during creation can already use it.
    CreateWindowExW(application.exStyle, application.name.c_str(), application.title.c_str(),
                    application.style, application.x, application.y, r.right - r.left,
                    r.bottom - r.top, nullptr, application.menu, application.instance, nullptr);
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Application* app = theApplication;
    if (!app) return DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_CREATE && !app->window) app->window = window;
    if (message == WM_DESTROY) PostQuitMessage(0);
    if (app->WindowProc(window, message, wParam, lParam)) return 0;
    return DefWindowProcW(window, message, wParam, lParam);
}

bool StartApplication(const wchar_t* commandLine) {
    Application* app = theApplication;
    if (!app) return false;
    delayMs = 0;
    delayArmedAt = 0;
    app->exeDirectory = DirectoryOfExecutable();

    if (!app->OnStartup(commandLine)) return false;

    // The initialisation above runs in a second copy too; only now does it
    // find out that it is one.
    anotherInstance = false;
    instanceMutex = CreateMutexW(nullptr, FALSE, app->name.c_str());
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        anotherInstance = true;
        if (!app->OnSecondInstance()) return false;
    }

    if (!RegisterWindowClass(*app)) return false;
    CreateMainWindow(*app);
    if (!app->window) return false;
    ShowWindow(app->window, app->showCommand);
    UpdateWindow(app->window);
    return true;
}

int RunMessageLoop() {
    Application* app = theApplication;
    std::uint64_t lastTick = Now();
    bool quit = false;
    WPARAM exitCode = 0;
    while (!quit) {
        MSG msg;
        const bool took = PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE) != 0;
        if (took) {
            if (msg.message == WM_QUIT) {
                quit = true;
                exitCode = msg.wParam;
            } else if (!app->accelerators || app->KeysBypassAccelerators() ||
                       !TranslateAcceleratorW(app->window, app->accelerators, &msg)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
        }
        if (quit) break;

        if (app->frameInterval == 0) {
            // WaitMessage only returns for messages that arrive after the
            // last look at the queue, so block only when the queue was empty;
            // otherwise messages already queued would wait for new input.
            if (!took) WaitMessage();
            continue;
        }

        const std::uint64_t now = Now();
        if (DelayExpired(now, delayArmedAt, delayMs)) {
            delayMs = 0;
            if (!app->OnDelayedCallback()) PostQuitMessage(0);
        }
        if (FrameDue(now, lastTick, app->frameInterval)) {
            // The next tick counts from this one: late ticks never bunch up.
            lastTick = now;
            if (!app->OnFrame()) PostQuitMessage(0);
        }

        if (!took && app->frameInterval != 0) {
            // Nothing queued: sleep until the next tick or delayed callback
            // is due, or until a message arrives, instead of spinning.
            const std::uint64_t interval = app->frameInterval;
            std::uint64_t wait = interval - std::min(interval, ElapsedMs(Now(), lastTick));
            if (delayMs != 0) {
                const std::uint64_t passed = ElapsedMs(Now(), delayArmedAt);
                const std::uint64_t left = passed > delayMs ? 0 : delayMs - passed + 1;
                wait = std::min(wait, left);
            }
            // At most one frame interval: it fits a DWORD.
            if (wait > 0)
                MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(wait),
                                          QS_ALLINPUT);
        }
    }
    return static_cast<int>(exitCode);
}

void EndApplication() {
    if (!anotherInstance && instanceMutex) {
        ReleaseMutex(instanceMutex);
        CloseHandle(instanceMutex);
        instanceMutex = nullptr;
    }
    if (theApplication) theApplication->OnShutdown();
}

int RunApplication(HINSTANCE instance, int showCommand, const wchar_t* commandLine) {
    Application* app = theApplication;
    if (!app) return 0;
    app->instance = instance;
    app->showCommand = showCommand;
    int exitCode = 0;
    if (StartApplication(commandLine)) exitCode = RunMessageLoop();
    EndApplication();
    return exitCode;
}

}  // namespace mrv
