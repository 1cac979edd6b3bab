// The capture program's one Application object.
#pragma once

#include "app/Application.h"

namespace mrv {

class CaptureWindow : public Application {
public:
    CaptureWindow();

    int OnInit() override;
    int WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnKeyDown(WPARAM virtualKey) override;
};

}  // namespace mrv
