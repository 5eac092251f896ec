#include "program_state.h"

#include "bench/bench.h"
#include "shell/shell.h"
#include "winport_control.h"

void ResetProgram()
{
    winport::Reset();
    timingHistory.Clear();
    drawRect = RECT{4, 84, 904, 684};
    windowGeometry = WindowGeometry{{0, 0, 908, 688}, 0, 0, {0, 0, 908, 688}};
    mainWindow = nullptr;
    resizeAllowed = false;
    savedFocus = nullptr;
}
