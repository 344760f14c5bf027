#pragma once
// Waiting for a started program while the window keeps its messages flowing. The wait blocks
// on the process itself (or its group) and wakes at once when it ends or a window message
// arrives, instead of sleeping between exit-code polls.

#include <cstdint>
#include <vector>

#include "os/processes.h"

namespace kestrel {

class Context;

enum class WaitEnd { kEnded, kTimedOut };

struct WaitResult {
    WaitEnd end = WaitEnd::kEnded;
    uint32_t exitCode = os::kStillActive;  // the started process's last exit code read
};

// What to wait for.
struct WaitTarget {
    os::StartedProcess started;
    // Also every process the program starts, directly or further down. Through the group when
    // there is one; otherwise through the parent-process relation of the process list, which
    // needs the processes that ran before the start (beforeStart) and can miss a process
    // that starts another and ends between two looks at the list.
    bool descendants = false;
    std::vector<os::ProcessEntry> beforeStart;
};

// Waits until the target has ended or, with useTimeout, until more than timeoutMs milliseconds
// have passed since startTime (a reading of ctx.os.clock). Pending window messages are
// dispatched each time round. Nothing is ended on time-out.
WaitResult WaitForProcess(Context& ctx, const WaitTarget& target, uint32_t startTime,
                          bool useTimeout, int32_t timeoutMs);

}  // namespace kestrel
