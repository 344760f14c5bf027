#pragma once
// Port: starting programs, their exit codes, message-aware waiting and the process list.
// Results are Win32 error numbers (0 success).

#include <cstdint>
#include <string>
#include <vector>

namespace kestrel::os {

// An open process or process group; 0 is none.
using ProcessHandle = uint64_t;

inline constexpr uint32_t kStillActive = 259;

namespace processaccess {
inline constexpr uint32_t kTerminate = 0x0001;
inline constexpr uint32_t kQueryInformation = 0x0400;
inline constexpr uint32_t kSynchronize = 0x100000;
inline constexpr uint32_t kAllAccess = 0x1F0FFF;  // PROCESS_ALL_ACCESS as older Windows defines it
}  // namespace processaccess

struct StartedProcess {
    uint32_t pid = 0;
    ProcessHandle process = 0;  // query and synchronize rights
    ProcessHandle group = 0;    // the group of the process and everything it starts, or 0
};

struct ProcessEntry {
    uint32_t pid = 0;
    uint32_t parentPid = 0;
    std::string exeFile;  // the file name as the process list gives it
};

enum class WaitOutcome {
    kSignalled,  // a waited process ended, or a waited group has no process left
    kMessage,    // a window message is waiting to be processed
    kTimeout,
    kFailed
};

class Processes {
public:
    virtual ~Processes() = default;

    // CreateProcessA(no application name, commandLine) with STARTF_USESHOWWINDOW and
    // showWindow (0 hidden, 1 normal). The command line is split by the platform's rules.
    // 2 (or 3) for a missing program. With inGroup the process is started suspended inside a
    // new group (a job object) before it runs, so that the group counts it and every process it
    // starts, directly or further down; where no group can be made (the program itself runs in
    // a job that forbids it) the process starts plainly and group stays 0.
    [[nodiscard]] virtual uint32_t Start(const std::string& commandLine, uint16_t showWindow,
                                         bool inGroup, StartedProcess& out) = 0;

    // OpenProcess(access, not inheritable, pid).
    [[nodiscard]] virtual uint32_t Open(uint32_t pid, uint32_t access, ProcessHandle& out) = 0;

    // GetExitCodeProcess: 259 while the process runs.
    [[nodiscard]] virtual uint32_t ExitCode(ProcessHandle process, uint32_t& code) = 0;

    // How many processes of a group still run (job accounting, ActiveProcesses).
    [[nodiscard]] virtual uint32_t ActiveCount(ProcessHandle group, uint32_t& count) = 0;

    // Blocks until one of the handles is signalled, a window message arrives for this thread,
    // or ms milliseconds pass (MsgWaitForMultipleObjects, QS_ALLINPUT). A group is signalled
    // when no process is left in it. An empty set waits for messages and time only. The
    // messages themselves are left for UserPrompts::DoEvents.
    [[nodiscard]] virtual WaitOutcome Wait(const std::vector<ProcessHandle>& handles,
                                           uint32_t ms) = 0;

    virtual void Close(ProcessHandle handle) = 0;

    // The running processes with their parents (tool-help snapshot).
    [[nodiscard]] virtual uint32_t List(std::vector<ProcessEntry>& entries) = 0;

    // ShellExecuteA(no window, default verb, file, no parameters, no folder, showCommand);
    // 0 when the shell accepted it, else the shell's error.
    [[nodiscard]] virtual uint32_t ShellOpen(const std::string& file, int32_t showCommand) = 0;

    // TerminateProcess(process, exitCode); the handle needs terminate rights (a handle from
    // Open with processaccess::kTerminate, or one from Start). A process that has already
    // ended answers 0.
    [[nodiscard]] virtual uint32_t Terminate(ProcessHandle process, uint32_t exitCode) = 0;
    // GetCurrentProcessId.
    virtual uint32_t CurrentId() = 0;
    // FindWindowA(no class, title), then GetWindowThreadProcessId: the process that owns the
    // top-level window with this title. 1400 (invalid window) when there is none.
    [[nodiscard]] virtual uint32_t WindowProcess(const std::string& title, uint32_t& pid) = 0;
};

}  // namespace kestrel::os
