#pragma once
// A simulated process launcher on the fake clock. Each start is recorded; a handler chosen by
// the program's file name decides what the started program does: how long it runs, its exit
// code, what it changes on the fake machine when it starts and ends, and which programs it
// starts itself. Waiting moves the fake clock forward to the next process end.

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "os/fake/fake_basics.h"
#include "os/processes.h"

namespace kestrel::os::fake {

class FakeProcesses : public Processes {
public:
    explicit FakeProcesses(FakeClock& clock) : m_clock(clock), m_seen(clock.milliseconds) {}

    struct Program {
        uint32_t exitCode = 0;
        uint32_t runMs = 0;
        std::function<void()> onStart;
        std::function<void()> onExit;       // e.g. an uninstaller deleting its own key
        std::vector<std::string> children;  // command lines it starts as soon as it runs
    };
    // What a command line does; nothing means the program file does not exist (Start: 2).
    using Handler = std::function<std::optional<Program>(const std::string& commandLine)>;

    // The handler for a program, by its file name ("reg.exe") or full path, ignoring case.
    void OnProgram(const std::string& program, Handler handler);
    void OnProgram(const std::string& program, Program behaviour);
    // Takes the command lines no named handler takes; unset, such programs do not exist.
    Handler fallback;

    struct Launch {
        std::string commandLine;
        uint16_t showWindow = 0;
        bool inGroup = false;
        uint32_t parentPid = 0;
        bool started = false;
        uint32_t pid = 0;  // once started
    };
    std::vector<Launch> launches;  // every start attempt, also those of started programs
    // The command lines this program asked to start, in order.
    std::vector<std::string> CommandLines() const;

    uint32_t ownPid = 4242;
    bool groupsUnavailable = false;  // a group cannot be made: Start gives group 0
    bool withholdHandles = false;    // Start gives no process handle
    // Window messages waiting: Wait answers kMessage while any are. DoEvents of the fake user
    // prompts handles them where the machine wires it (FakeMachine does).
    uint32_t pendingMessages = 0;
    std::vector<std::string> shellOpened;
    uint32_t shellOpenError = 0;

    // A process that runs until it is ended: a browser, another program's process. An empty
    // owner cannot be read (as WMI fails for some system processes); a protected process
    // refuses to be opened for termination (5).
    uint32_t AddRunning(const std::string& exeFile, const std::string& owner = "tech",
                        bool protectedProcess = false);
    // The owner of the processes this program starts.
    std::string startedOwner = "tech";
    // The owner of a running process ("" when it cannot be read); nothing for no such process.
    std::optional<std::string> Owner(uint32_t pid);
    // Ends a running process at once with the exit code, without the work its end would have
    // done. 87 for no such process, 5 for a protected one; 0 for one that has already ended.
    uint32_t Kill(uint32_t pid, uint32_t exitCode);
    // The processes ended through Terminate, in order.
    std::vector<uint32_t> terminated;
    // Top-level windows by title, and the process each belongs to.
    std::map<std::string, uint32_t> windows;

    bool Running(uint32_t pid);
    size_t OpenHandleCount() const { return m_handles.size(); }
    uint64_t Now();  // the fake clock without wrap-around

    // Processes
    uint32_t Start(const std::string& commandLine, uint16_t showWindow, bool inGroup,
                   StartedProcess& out) override;
    uint32_t Open(uint32_t pid, uint32_t access, ProcessHandle& out) override;
    uint32_t ExitCode(ProcessHandle process, uint32_t& code) override;
    uint32_t ActiveCount(ProcessHandle group, uint32_t& count) override;
    WaitOutcome Wait(const std::vector<ProcessHandle>& handles, uint32_t ms) override;
    void Close(ProcessHandle handle) override;
    uint32_t List(std::vector<ProcessEntry>& entries) override;
    uint32_t ShellOpen(const std::string& file, int32_t showCommand) override;
    uint32_t Terminate(ProcessHandle process, uint32_t exitCode) override;
    uint32_t CurrentId() override { return ownPid; }
    uint32_t WindowProcess(const std::string& title, uint32_t& pid) override;

private:
    struct Proc {
        std::string exeFile;
        uint32_t parentPid = 0;
        uint32_t group = 0;
        uint64_t end = 0;
        uint32_t exitCode = 0;
        bool ended = false;
        std::function<void()> onExit;
        std::string owner;
        bool protectedProcess = false;
    };
    struct HandleTarget {
        bool isGroup = false;
        uint32_t id = 0;  // pid or group number
        uint32_t access = processaccess::kAllAccess;
    };

    uint32_t Spawn(const std::string& commandLine, uint16_t showWindow, bool inGroup,
                   uint32_t parentPid, uint32_t group, uint32_t& pid);
    void Settle();
    bool Signalled(const HandleTarget& target) const;
    uint32_t Active(uint32_t group) const;
    ProcessHandle NewHandle(HandleTarget target);

    FakeClock& m_clock;
    uint32_t m_seen;
    uint64_t m_now = 0;
    std::map<std::string, Handler> m_handlers;  // by lower-case name
    std::map<uint32_t, Proc> m_procs;
    std::map<ProcessHandle, HandleTarget> m_handles;
    uint32_t m_nextPid = 1000;
    uint32_t m_nextGroup = 1;
    ProcessHandle m_nextHandle = 0x200;
};

// The program part of a command line: the quoted text, or everything up to the first blank.
std::string ProgramOfCommandLine(const std::string& commandLine);

}  // namespace kestrel::os::fake
