// Process entry. The one Application object is constructed statically before
// this runs (see capture/ProgramInstance_win.cpp); the command line is unused.
#include "app/Application.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int showCommand) {
    return mrv::RunApplication(instance, showCommand, commandLine);
}
