#include "os/fake/fake_processes.h"

#include <algorithm>
#include <cstdint>

#include "base/strings.h"
#include "os/errors.h"

namespace kestrel::os::fake {
namespace {

using os::error::kAccessDenied;
using os::error::kFileNotFound;
using os::error::kInvalidHandle;
using os::error::kInvalidParameter;
using os::error::kInvalidWindowHandle;

std::string FileName(const std::string& path) {
    size_t cut = path.find_last_of('\\');
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

}  // namespace

std::string ProgramOfCommandLine(const std::string& commandLine) {
    if (!commandLine.empty() && commandLine[0] == '"') {
        size_t close = commandLine.find('"', 1);
        return commandLine.substr(1, close == std::string::npos ? std::string::npos : close - 1);
    }
    return commandLine.substr(0, commandLine.find(' '));
}

void FakeProcesses::OnProgram(const std::string& program, Handler handler) {
    m_handlers[LCase(program)] = std::move(handler);
}

void FakeProcesses::OnProgram(const std::string& program, Program behaviour) {
    OnProgram(program, [behaviour](const std::string&) { return behaviour; });
}

std::vector<std::string> FakeProcesses::CommandLines() const {
    std::vector<std::string> lines;
    for (const Launch& launch : launches) {
        if (launch.parentPid == ownPid) {
            lines.push_back(launch.commandLine);
        }
    }
    return lines;
}

uint64_t FakeProcesses::Now() {
    m_now += static_cast<uint32_t>(m_clock.milliseconds - m_seen);
    m_seen = m_clock.milliseconds;
    return m_now;
}

void FakeProcesses::Settle() {
    for (;;) {
        uint64_t now = Now();
        Proc* next = nullptr;
        for (auto& [pid, proc] : m_procs) {
            if (!proc.ended && proc.end <= now && (next == nullptr || proc.end < next->end)) {
                next = &proc;
            }
        }
        if (next == nullptr) {
            return;
        }
        next->ended = true;
        if (next->onExit) {
            auto onExit = std::move(next->onExit);
            onExit();
        }
    }
}

uint32_t FakeProcesses::Spawn(const std::string& commandLine, uint16_t showWindow, bool inGroup,
                              uint32_t parentPid, uint32_t group, uint32_t& pid) {
    launches.push_back({commandLine, showWindow, inGroup, parentPid, false});
    std::string program = ProgramOfCommandLine(commandLine);
    Handler* handler = nullptr;
    for (const std::string& name : {LCase(program), LCase(FileName(program))}) {
        auto it = m_handlers.find(name);
        if (it != m_handlers.end()) {
            handler = &it->second;
            break;
        }
    }
    if (handler == nullptr && fallback) {
        handler = &fallback;
    }
    std::optional<Program> behaviour;
    if (handler != nullptr) {
        behaviour = (*handler)(commandLine);
    }
    if (!behaviour) {
        return kFileNotFound;
    }
    pid = m_nextPid;
    m_nextPid += 4;
    launches.back().started = true;
    launches.back().pid = pid;
    Proc proc;
    proc.exeFile = FileName(program);
    proc.parentPid = parentPid;
    proc.group = group;
    proc.end = Now() + behaviour->runMs;
    proc.exitCode = behaviour->exitCode;
    proc.onExit = behaviour->onExit;
    proc.owner = startedOwner;
    m_procs[pid] = proc;
    if (behaviour->onStart) {
        behaviour->onStart();
    }
    for (const std::string& child : behaviour->children) {
        uint32_t childPid = 0;
        (void)Spawn(child, showWindow, false, pid, group, childPid);
    }
    return 0;
}

uint32_t FakeProcesses::Start(const std::string& commandLine, uint16_t showWindow, bool inGroup,
                              StartedProcess& out) {
    Settle();
    uint32_t group = inGroup && !groupsUnavailable ? m_nextGroup++ : 0;
    uint32_t pid = 0;
    if (uint32_t err = Spawn(commandLine, showWindow, inGroup, ownPid, group, pid)) {
        return err;
    }
    out.pid = pid;
    out.process = withholdHandles ? 0 : NewHandle({false, pid});
    out.group = group != 0 ? NewHandle({true, group}) : 0;
    return 0;
}

ProcessHandle FakeProcesses::NewHandle(HandleTarget target) {
    ProcessHandle h = m_nextHandle;
    m_nextHandle += 4;
    m_handles[h] = target;
    return h;
}

bool FakeProcesses::Running(uint32_t pid) {
    Settle();
    auto it = m_procs.find(pid);
    return it != m_procs.end() && !it->second.ended;
}

uint32_t FakeProcesses::Open(uint32_t pid, uint32_t access, ProcessHandle& out) {
    if (!Running(pid)) {
        return kInvalidParameter;
    }
    if ((access & processaccess::kTerminate) != 0 && m_procs.at(pid).protectedProcess) {
        return kAccessDenied;
    }
    out = NewHandle({false, pid, access});
    return 0;
}

uint32_t FakeProcesses::AddRunning(const std::string& exeFile, const std::string& owner,
                                   bool protectedProcess) {
    Settle();
    const uint32_t pid = m_nextPid;
    m_nextPid += 4;
    Proc proc;
    proc.exeFile = exeFile;
    proc.parentPid = 1;
    proc.end = UINT64_MAX;
    proc.owner = owner;
    proc.protectedProcess = protectedProcess;
    m_procs[pid] = proc;
    return pid;
}

std::optional<std::string> FakeProcesses::Owner(uint32_t pid) {
    if (!Running(pid)) {
        return std::nullopt;
    }
    return m_procs.at(pid).owner;
}

uint32_t FakeProcesses::Kill(uint32_t pid, uint32_t exitCode) {
    Settle();
    auto it = m_procs.find(pid);
    if (it == m_procs.end()) {
        return kInvalidParameter;
    }
    Proc& proc = it->second;
    if (proc.ended) {
        return 0;
    }
    if (proc.protectedProcess) {
        return kAccessDenied;
    }
    proc.ended = true;
    proc.exitCode = exitCode;
    proc.onExit = nullptr;
    terminated.push_back(pid);
    return 0;
}

uint32_t FakeProcesses::Terminate(ProcessHandle process, uint32_t exitCode) {
    auto it = m_handles.find(process);
    if (it == m_handles.end() || it->second.isGroup) {
        return kInvalidHandle;
    }
    if ((it->second.access & processaccess::kTerminate) == 0) {
        return kAccessDenied;
    }
    return Kill(it->second.id, exitCode);
}

uint32_t FakeProcesses::WindowProcess(const std::string& title, uint32_t& pid) {
    for (const auto& [shown, owner] : windows) {
        if (EqualsNoCase(shown, title) && Running(owner)) {
            pid = owner;
            return 0;
        }
    }
    return kInvalidWindowHandle;
}

uint32_t FakeProcesses::ExitCode(ProcessHandle process, uint32_t& code) {
    Settle();
    auto it = m_handles.find(process);
    if (it == m_handles.end() || it->second.isGroup) {
        return kInvalidHandle;
    }
    const Proc& proc = m_procs.at(it->second.id);
    code = proc.ended ? proc.exitCode : kStillActive;
    return 0;
}

uint32_t FakeProcesses::Active(uint32_t group) const {
    return static_cast<uint32_t>(std::count_if(m_procs.begin(), m_procs.end(), [group](auto& p) {
        return p.second.group == group && !p.second.ended;
    }));
}

uint32_t FakeProcesses::ActiveCount(ProcessHandle group, uint32_t& count) {
    Settle();
    auto it = m_handles.find(group);
    if (it == m_handles.end() || !it->second.isGroup) {
        return kInvalidHandle;
    }
    count = Active(it->second.id);
    return 0;
}

bool FakeProcesses::Signalled(const HandleTarget& target) const {
    if (target.isGroup) {
        return Active(target.id) == 0;
    }
    return m_procs.at(target.id).ended;
}

WaitOutcome FakeProcesses::Wait(const std::vector<ProcessHandle>& handles, uint32_t ms) {
    std::vector<HandleTarget> targets;
    for (ProcessHandle h : handles) {
        auto it = m_handles.find(h);
        if (it == m_handles.end()) {
            return WaitOutcome::kFailed;
        }
        targets.push_back(it->second);
    }
    const uint64_t deadline = Now() + ms;
    for (;;) {
        Settle();
        for (const HandleTarget& t : targets) {
            if (Signalled(t)) {
                return WaitOutcome::kSignalled;
            }
        }
        if (pendingMessages > 0) {
            return WaitOutcome::kMessage;
        }
        uint64_t now = Now();
        uint64_t next = deadline;
        for (const auto& [pid, proc] : m_procs) {
            if (!proc.ended && proc.end < next) {
                next = proc.end;
            }
        }
        if (now >= deadline) {
            return WaitOutcome::kTimeout;
        }
        m_clock.milliseconds += static_cast<uint32_t>(std::max<uint64_t>(next, now + 1) - now);
    }
}

void FakeProcesses::Close(ProcessHandle handle) {
    m_handles.erase(handle);
}

uint32_t FakeProcesses::List(std::vector<ProcessEntry>& entries) {
    Settle();
    entries.clear();
    entries.push_back({ownPid, 1, "Kestrel.exe"});
    for (const auto& [pid, proc] : m_procs) {
        if (!proc.ended) {
            entries.push_back({pid, proc.parentPid, proc.exeFile});
        }
    }
    return 0;
}

uint32_t FakeProcesses::ShellOpen(const std::string& file, int32_t) {
    shellOpened.push_back(file);
    return shellOpenError;
}

}  // namespace kestrel::os::fake
