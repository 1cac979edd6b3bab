// The window-application framework: one Application object per process, a
// polling main loop with a frame tick and a one-shot delayed callback, typed
// hooks for window messages, and painting through an off-screen back buffer.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace mrv {

class Application {
public:
    Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // The hooks, in their fixed slot order. Hooks returning int use 1 for
    // done/handled and 0 for failed/not handled.
    virtual int OnInit();
    virtual int OnStartup(const wchar_t* commandLine);
    virtual int OnFrame();
    virtual int OnShutdown();
    virtual int WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    virtual int OnPaint();
    virtual int OnSecondInstance();
    virtual int OnDelayedCallback();
    virtual ~Application();
    virtual void OnCreate(LPARAM createParams);
    virtual void OnDestroy();
    virtual void OnCommand(WPARAM wParam);
    virtual void Draw(HDC dc);
    virtual void OnSetFocus(WPARAM wParam);
    virtual void OnKillFocus(WPARAM wParam);
    virtual void OnSize(WPARAM wParam, int width, int height);
    virtual void OnMove(int x, int y);
    virtual void OnMouseMove(int x, int y);
    virtual void OnLButtonDown(int x, int y);
    virtual void OnLButtonUp(int x, int y);
    virtual void OnLButtonDblClk(int x, int y);
    virtual void OnRButtonDown(int x, int y);
    virtual void OnRButtonUp(int x, int y);
    virtual void OnRButtonDblClk(int x, int y);
    virtual void OnChar(WPARAM code);
    virtual void OnKeyDown(WPARAM virtualKey);
    virtual void OnKeyUp(WPARAM virtualKey);
    // While true the main loop passes key messages on as they are, without
    // translating accelerators first (a window's own popup that takes the
    // keyboard). The base: never.
    virtual bool KeysBypassAccelerators();

    // Routers: each returns 1 when the message is one of its own and its hook
    // has run, 0 otherwise.
    int RouteLifecycleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    int RouteWindowMessage(UINT message, WPARAM wParam, LPARAM lParam);
    int RouteMouseMessage(UINT message, WPARAM wParam, LPARAM lParam);
    int RouteKeyMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // WM_PAINT first, then the four routers in order; what a subclass's
    // WindowProc calls before handling messages of its own.
    int RouteToHooks(UINT message, WPARAM wParam, LPARAM lParam);

    int CreateBackBuffer(int width, int height);
    int ReleaseBackBuffer();
    HDC BackBufferDC() const { return backBufferDC_; }
    int BackBufferWidth() const { return backBufferWidth_; }
    int BackBufferHeight() const { return backBufferHeight_; }

    int IsShiftDown() const { return shiftDown_; }

    // Window-class and window-creation parameters, set by a subclass's OnInit.
    std::wstring name = L"CORE";
    std::wstring title;
    HICON icon = nullptr;
    HMENU menu = nullptr;
    HACCEL accelerators = nullptr;
    std::uint32_t frameInterval = 0;
    DWORD style = WS_CAPTION | WS_SYSMENU;
    DWORD exStyle = 0;
    int showCommand = SW_SHOWNORMAL;
    int x = CW_USEDEFAULT;
    int y = CW_USEDEFAULT;
    int clientWidth = 300;
    int clientHeight = 300;
    HINSTANCE instance = nullptr;
    HWND window = nullptr;
    std::wstring exeDirectory;  // ends in a path separator

private:
    int backBufferWidth_ = 0;
    int backBufferHeight_ = 0;
    HDC backBufferDC_ = nullptr;
    HBITMAP backBufferBitmap_ = nullptr;
    HGDIOBJ previousBitmap_ = nullptr;
    int shiftDown_ = 0;
};

// The one Application of the process (the most recently constructed one).
Application* GetApplication();
HINSTANCE GetInstance();
HWND GetMainWindow();
const std::wstring& GetExeDirectory();

// Pausing keeps the frame interval aside and stops the ticks; resuming puts
// back the first interval ever kept.
void SetFramesPaused(bool paused);
// Arms (or re-arms) the one-shot delayed callback; 0 disarms it.
void ArmDelayedCallback(std::uint32_t milliseconds);
int IsShiftDown();

bool StartApplication(const wchar_t* commandLine);
int RunMessageLoop();
void EndApplication();
int RunApplication(HINSTANCE instance, int showCommand, const wchar_t* commandLine);

bool RegisterWindowClass(Application& application);
void CreateMainWindow(Application& application);
LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// True when StartApplication found another process already running.
bool AnotherInstanceRunning();

}  // namespace mrv
