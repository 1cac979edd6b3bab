#include "view/MonitorDpi_win.h"

namespace mrv {
namespace {

// MONITOR_DPI_TYPE's MDT_EFFECTIVE_DPI: the DPI the user's scale setting gives.
constexpr int kEffectiveDpi = 0;

using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
using GetDpiForSystemFn = UINT(WINAPI*)();

template <typename Fn>
Fn Lookup(HMODULE module, const char* name) {
    if (module == nullptr) return nullptr;
    // Through void* to keep the cast from one function type to another quiet.
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

struct DpiFunctions {
    GetDpiForMonitorFn forMonitor = nullptr;
    GetDpiForSystemFn forSystem = nullptr;

    DpiFunctions() {
        // Kept loaded for the life of the program.
        HMODULE shcore = LoadLibraryExW(L"shcore.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        forMonitor = Lookup<GetDpiForMonitorFn>(shcore, "GetDpiForMonitor");
        forSystem = Lookup<GetDpiForSystemFn>(GetModuleHandleW(L"user32.dll"), "GetDpiForSystem");
    }
};

const DpiFunctions& Functions() {
    static const DpiFunctions functions;
    return functions;
}

}  // namespace

int SystemDpi() {
    if (const GetDpiForSystemFn fn = Functions().forSystem) {
        const UINT dpi = fn();
        if (dpi != 0) return static_cast<int>(dpi);
    }
    HDC screen = GetDC(nullptr);
    if (screen == nullptr) return kBaseDpi;
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : kBaseDpi;
}

int MonitorDpi(HMONITOR monitor) {
    if (const GetDpiForMonitorFn fn = Functions().forMonitor) {
        UINT x = 0;
        UINT y = 0;
        if (monitor != nullptr && SUCCEEDED(fn(monitor, kEffectiveDpi, &x, &y)) && y != 0)
            return static_cast<int>(y);
    }
    return SystemDpi();
}

UiScale UiScaleAt(const RECT& desktop) {
    RECT box = desktop;
    if (box.right <= box.left || box.bottom <= box.top) {
        box.right = box.left + 1;
        box.bottom = box.top + 1;
    }
    return UiScale::FromDpi(MonitorDpi(MonitorFromRect(&box, MONITOR_DEFAULTTONEAREST)));
}

}  // namespace mrv
