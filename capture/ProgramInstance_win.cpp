// The program object, constructed before wWinMain runs; constructing it makes
// it the process's one Application.
#include "capture/CaptureWindow.h"

namespace {
mrv::CaptureWindow theCaptureWindow;
}
