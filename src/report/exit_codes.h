// zolvik-report's exit codes: what a script that runs it can rely on.
#pragma once

enum ReportExit {
    kExitOk = 0,
    kExitUsage = 1,
    kExitNoWindow = 2,
    kExitWindowClosed = 3,
    kExitUndecodable = 4,
    kExitBadFile = 5, // a results file missing, malformed, or of the wrong kind
    kExitCannotWrite = 6,
    kExitFileExists = 7,
    kExitInterrupted = 8, // Ctrl+C, after what was changed has been put back
};
