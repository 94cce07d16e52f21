// The demo program: starts in its own folder and runs WinMain on SDL's display.
#include "app/Demo.h"
#include "platform/ProgramFolder.h"
#include "platform/SdlDisplay.h"

int main() {
    EnterProgramFolder();
    // The display outlives WinMain, so the window it frees last is never presented into after.
    SdlDisplay display;
    WindowSystem windows(display);
    WindowSystemScope scope(windows);
    // No module handles on this system: the instance is null.
    return WinMain(nullptr, nullptr, nullptr, 0);
}
