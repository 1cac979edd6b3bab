// Process entry. The one Application object is constructed statically before
// this runs (see capture/ProgramInstance_win.cpp); the command line is unused.
#include "app/Application.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int showCommand) {
    // Every DLL loaded from here on (the Save As dialog, the shell, themes,
    // input methods) comes from System32 only, never from the program's own
    // folder: unpacked into Downloads, the program must not pick up a DLL that
    // someone dropped beside it. The static imports are all KnownDLLs, which
    // the loader takes from System32 anyway.
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    return mrv::RunApplication(instance, showCommand, commandLine);
}
