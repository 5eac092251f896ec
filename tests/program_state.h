// Puts the layer and the program's process-wide state back to how a fresh process has them,
// so that one test process can run the program many times.
#pragma once

void ResetProgram();
