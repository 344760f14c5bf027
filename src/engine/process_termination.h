#pragma once
// Ending processes by program file name. Any single way can fail (missing rights, a protected
// process, a Windows without the tool), so a name is ended four independent ways, one after
// the other: through the process list, through WMI, and with "tskill" and "taskkill".

#include <cstdint>
#include <string>
#include <vector>

#include "os/process_query.h"
#include "platform/window_close.h"

namespace kestrel {

class Context;

// True when WMI lists a process with that file name (ignoring case) whose owner can be read;
// with currentUserOnly, only one owned by the signed-in user ("username"). False for an empty
// name and when WMI cannot be reached.
bool IsProcessRunning(Context& ctx, const std::string& processName, bool currentUserOnly);

// One reading of WMI's process list, asked about several names in turn.
class RunningProcesses {
public:
    explicit RunningProcesses(Context& ctx);
    // As IsProcessRunning, over this reading.
    bool IsRunning(const std::string& processName, bool currentUserOnly);

private:
    Context& m_ctx;
    bool m_listed = false;
    std::vector<os::QueriedProcess> m_processes;
};

// Ends, through the process list, every process whose file name equals the given one, ignoring
// case ("notchrome.exe" is not "chrome.exe").
void KillProcess(Context& ctx, const std::string& sProcessName);
// Calls WMI's Terminate for every process of that file name, ignoring case.
void KillProcessViaWMI(Context& ctx, const std::string& sProcessName);

// Reduces the argument to its file name, then KillProcess, KillProcessViaWMI,
// "cmd.exe /c tskill" and "cmd.exe /c taskkill", each whatever the others did; the two commands
// run hidden and are waited for when wait is set. A name that no program file can have (empty,
// only digits, or with a wildcard or quote) ends nothing: the tools would take it for a process
// id or for every process.
void TerminateProcessByName(Context& ctx, const std::string& sFullPathAndFileName, bool wait);
// TerminateProcessByName, always waiting.
void TerminateProgramFile(Context& ctx, const std::string& path);
// True when the path ends in ".exe", ".com" or ".scr", ignoring case.
bool IsProgramFile(const std::string& path);

}  // namespace kestrel
