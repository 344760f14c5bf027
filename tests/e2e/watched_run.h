#pragma once
// Kestrel.exe run as the technician's debug viewer sees it: the test program attaches as its
// debugger and collects every debug line (OutputDebugStringA) of the run.

#include <string>
#include <vector>

#include "e2e/kestrel_sandbox.h"

namespace kestrel::e2e {

struct WatchedRun {
    int exitCode = -1;  // -1 when the run was ended for overrunning the time limit
    std::vector<std::string> debugLines;

    // The debug lines as one text, for failure messages.
    std::string Text() const;
};

WatchedRun RunWatched(const KestrelSandbox& kestrel, const std::string& arguments,
                      unsigned timeoutMs = 300000);

}  // namespace kestrel::e2e
