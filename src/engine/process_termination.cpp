#include "engine/process_termination.h"

#include <algorithm>

#include "base/strings.h"
#include "base/strip.h"
#include "core/context.h"
#include "os/owned.h"
#include "platform/process_launch.h"

namespace kestrel {
namespace {

// A failed WMI call, as a VB program sees it: the HRESULT and "Automation error".
bool IsAutomationFailure(uint32_t rc) {
    return (rc & 0x80000000u) != 0;
}

VbError AutomationError(uint32_t hr) {
    return {static_cast<int>(hr), "Automation error"};
}

// The file name a process list gives, up to its first NUL.
std::string ExeName(const std::string& exeFile) {
    return exeFile.substr(0, exeFile.find('\0'));
}

bool CanBeProgramFileName(const std::string& name) {
    if (Trim(name).empty()) {
        return false;
    }
    if (name.find_first_of("\"*?<>|/:") != std::string::npos) {
        return false;
    }
    return !std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Runs one way of ending a process; a failure of one way does not stop the next.
template <class F>
void Independently(Context& ctx, const std::string& sProcessName, F&& step) {
    constexpr const char* kHead = "CommonModule\\TerminateProcessByName VB ERROR: ";
    try {
        step();
    } catch (const std::exception& e) {
        ctx.debug.Error(kHead, ExceptionError(e), {"\t- sProcessName=" + sProcessName});
    } catch (...) {
        ctx.debug.Error(kHead, UnknownExceptionError(), {"\t- sProcessName=" + sProcessName});
    }
}

}  // namespace

RunningProcesses::RunningProcesses(Context& ctx) : m_ctx(ctx) {}

bool RunningProcesses::IsRunning(const std::string& processName, bool currentUserOnly) {
    try {
        if (processName.empty()) {
            return false;
        }
        if (!m_listed) {
            if (m_ctx.os.processQuery.List(m_processes) != 0) {
                m_processes.clear();
            }
            m_listed = true;
        }
        const std::string wanted = LCase(processName);
        const std::string user = LCase(m_ctx.os.env.Variable("username"));
        for (const os::QueriedProcess& p : m_processes) {
            const std::string name = LCase(p.name);
            if (name.empty() || name == "system idle process" || name != wanted) {
                continue;
            }
            // Only a process whose owner can be read counts.
            std::string owner;
            if (m_ctx.os.processQuery.GetOwner(p.pid, owner) != 0) {
                continue;
            }
            if (!currentUserOnly || LCase(owner) == user) {
                return true;
            }
        }
        return false;
    } catch (const std::exception& e) {
        m_ctx.debug.Error("CommonModule\\IsProcessRunning VB ERROR: ", ExceptionError(e),
                          {"\t- sProcessName=" + processName});
        return false;
    } catch (...) {
        m_ctx.debug.Error("CommonModule\\IsProcessRunning VB ERROR: ", UnknownExceptionError(),
                          {"\t- sProcessName=" + processName});
        return false;
    }
}

bool IsProcessRunning(Context& ctx, const std::string& processName, bool currentUserOnly) {
    if (processName.empty()) {
        return false;
    }
    return RunningProcesses(ctx).IsRunning(processName, currentUserOnly);
}

void KillProcess(Context& ctx, const std::string& sProcessName) {
    try {
        os::Processes& processes = ctx.os.processes;
        std::vector<os::ProcessEntry> entries;
        if (processes.List(entries) != 0) {
            return;
        }
        for (const os::ProcessEntry& entry : entries) {
            if (!EqualsNoCase(ExeName(entry.exeFile), sProcessName)) {
                continue;
            }
            os::OwnedProcess handle(processes);
            if (processes.Open(entry.pid, os::processaccess::kTerminate, handle.Out()) != 0) {
                continue;
            }
            (void)processes.Terminate(handle.Get(), 0);
        }
    } catch (const std::exception& e) {
        ctx.debug.Error("CommonModule\\KillProcess VB ERROR: ", ExceptionError(e),
                        {"\t- sProcessName=" + sProcessName});
    }
}

void KillProcessViaWMI(Context& ctx, const std::string& sProcessName) {
    constexpr const char* kHead = "CommonModule\\KillProcessViaWMI VB ERROR: ";
    try {
        std::vector<os::QueriedProcess> processes;
        if (uint32_t rc = ctx.os.processQuery.List(processes)) {
            ctx.debug.Error(kHead, AutomationError(rc), {"\t- sProcessName=" + sProcessName});
            return;
        }
        const std::string wanted = UCase(sProcessName);
        for (const os::QueriedProcess& p : processes) {
            if (UCase(p.name) != wanted) {
                continue;
            }
            // The method's own answer (a process that refuses) is not an error; a method that
            // cannot be called is, and the next process is still tried.
            uint32_t rc = ctx.os.processQuery.Terminate(p.pid);
            if (IsAutomationFailure(rc)) {
                ctx.debug.Error(kHead, AutomationError(rc), {"\t- sProcessName=" + sProcessName});
            }
        }
    } catch (const std::exception& e) {
        ctx.debug.Error(kHead, ExceptionError(e), {"\t- sProcessName=" + sProcessName});
    }
}

void TerminateProcessByName(Context& ctx, const std::string& sFullPathAndFileName, bool wait) {
    const std::string name = StripPath(sFullPathAndFileName);
    if (!CanBeProgramFileName(name)) {
        ctx.debug.Print("TerminateProcessByName: no program file name in: " + sFullPathAndFileName);
        return;
    }
    Independently(ctx, name, [&] { KillProcess(ctx, name); });
    Independently(ctx, name, [&] { KillProcessViaWMI(ctx, name); });
    for (const std::string& parameters :
         {"/c tskill \"" + name + "\" /a", "/c taskkill /f /t /im \"" + name + "\""}) {
        Independently(ctx, name, [&] {
            uint32_t exitCode = 0;
            (void)ShellX(ctx, "cmd.exe", parameters, wait, kWindowHidden, exitCode, false, false,
                         kNoTimeout);
        });
    }
}

void TerminateProgramFile(Context& ctx, const std::string& path) {
    TerminateProcessByName(ctx, path, true);
}

bool IsProgramFile(const std::string& path) {
    const std::string tail = LCase(path.size() >= 4 ? path.substr(path.size() - 4) : path);
    return tail == ".exe" || tail == ".com" || tail == ".scr";
}

}  // namespace kestrel
