#include "os/win32/windows_api.h"

#include <shellapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <map>
#include <memory>
#include <vector>

#include "os/processes.h"
#include "os/win32/win32_ports.h"

namespace kestrel::os::win32 {
namespace {

// While a group has processes that could not be opened, or more than one wait can watch, the
// wait wakes this often to count them again.
constexpr DWORD kGroupRecount = 20;
constexpr size_t kMaxWaitHandles = MAXIMUM_WAIT_OBJECTS - 1;  // one slot for messages

// A job object, the completion port that reports the processes entering and leaving it, and a
// handle to every member seen so far, so that a member's end wakes the wait.
struct Group {
    UniqueHandle job;
    UniqueHandle port;
    std::map<DWORD, UniqueHandle> members;
    bool unwatched = false;  // a member could not be opened

    void Drain() {
        DWORD message = 0;
        ULONG_PTR key = 0;
        LPOVERLAPPED data = nullptr;
        while (GetQueuedCompletionStatus(port.Get(), &message, &key, &data, 0)) {
            auto pid = static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(data));
            if (message == JOB_OBJECT_MSG_NEW_PROCESS && members.count(pid) == 0) {
                UniqueHandle h(
                    OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
                if (h.Valid()) {
                    members[pid] = std::move(h);
                } else {
                    unwatched = true;
                }
            } else if (message == JOB_OBJECT_MSG_EXIT_PROCESS ||
                       message == JOB_OBJECT_MSG_ABNORMAL_EXIT_PROCESS) {
                members.erase(pid);
            }
        }
    }

    DWORD Active() const {
        JOBOBJECT_BASIC_ACCOUNTING_INFORMATION info{};
        if (!QueryInformationJobObject(job.Get(), JobObjectBasicAccountingInformation, &info,
                                       sizeof(info), nullptr)) {
            return 0;
        }
        return info.ActiveProcesses;
    }
};

std::unique_ptr<Group> MakeGroup() {
    auto group = std::make_unique<Group>();
    group->job = UniqueHandle(CreateJobObjectA(nullptr, nullptr));
    if (!group->job.Valid()) {
        return nullptr;
    }
    group->port = UniqueHandle(CreateIoCompletionPort(INVALID_HANDLE_VALUE, nullptr, 0, 1));
    if (!group->port.Valid()) {
        return nullptr;
    }
    JOBOBJECT_ASSOCIATE_COMPLETION_PORT link{};
    link.CompletionKey = group->job.Get();
    link.CompletionPort = group->port.Get();
    if (!SetInformationJobObject(group->job.Get(), JobObjectAssociateCompletionPortInformation,
                                 &link, sizeof(link))) {
        return nullptr;
    }
    return group;
}

struct Entry {
    UniqueHandle handle;  // the process (empty for a group)
    std::unique_ptr<Group> group;
};

class Win32Processes : public Processes {
public:
    uint32_t Start(const std::string& commandLine, uint16_t showWindow, bool inGroup,
                   StartedProcess& out) override {
        STARTUPINFOA si{};
        si.cb = sizeof(si);
        si.dwFlags = STARTF_USESHOWWINDOW;
        si.wShowWindow = showWindow;
        std::vector<char> line(commandLine.begin(), commandLine.end());
        line.push_back('\0');
        std::unique_ptr<Group> group = inGroup ? MakeGroup() : nullptr;
        PROCESS_INFORMATION pi{};
        DWORD flags = group ? CREATE_SUSPENDED | CREATE_BREAKAWAY_FROM_JOB : 0;
        BOOL ok = CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, flags, nullptr,
                                 nullptr, &si, &pi);
        if (!ok && group && GetLastError() == ERROR_ACCESS_DENIED) {
            // This program's own job does not allow break-away: start inside it.
            flags &= ~static_cast<DWORD>(CREATE_BREAKAWAY_FROM_JOB);
            ok = CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, flags, nullptr,
                                nullptr, &si, &pi);
        }
        if (!ok) {
            return GetLastError();
        }
        UniqueHandle thread(pi.hThread);
        UniqueHandle process(pi.hProcess);
        if (group && !AssignProcessToJobObject(group->job.Get(), process.Get())) {
            group.reset();
        }
        if (flags & CREATE_SUSPENDED) {
            ResumeThread(thread.Get());
        }
        out.pid = pi.dwProcessId;
        out.group = 0;
        if (group) {
            HANDLE copy = nullptr;
            if (DuplicateHandle(GetCurrentProcess(), process.Get(), GetCurrentProcess(), &copy,
                                SYNCHRONIZE, FALSE, 0)) {
                group->members[pi.dwProcessId] = UniqueHandle(copy);
            }
            out.group = RegisterGroup(std::move(group));
        }
        out.process = Register(std::move(process));
        return 0;
    }

    uint32_t Open(uint32_t pid, uint32_t access, ProcessHandle& out) override {
        UniqueHandle h(OpenProcess(access, FALSE, pid));
        if (!h.Valid()) {
            return GetLastError();
        }
        out = Register(std::move(h));
        return 0;
    }

    uint32_t ExitCode(ProcessHandle process, uint32_t& code) override {
        Entry* e = Find(process);
        if (e == nullptr || e->group) {
            return ERROR_INVALID_HANDLE;
        }
        DWORD c = 0;
        if (!GetExitCodeProcess(e->handle.Get(), &c)) {
            return GetLastError();
        }
        code = c;
        return 0;
    }

    uint32_t ActiveCount(ProcessHandle group, uint32_t& count) override {
        Entry* e = Find(group);
        if (e == nullptr || !e->group) {
            return ERROR_INVALID_HANDLE;
        }
        count = e->group->Active();
        return 0;
    }

    WaitOutcome Wait(const std::vector<ProcessHandle>& handles, uint32_t ms) override {
        const ULONGLONG start = GetTickCount64();
        for (;;) {
            std::vector<HANDLE> waitables;
            bool recount = false;
            for (ProcessHandle h : handles) {
                Entry* e = Find(h);
                if (e == nullptr) {
                    return WaitOutcome::kFailed;
                }
                if (!e->group) {
                    waitables.push_back(e->handle.Get());
                    continue;
                }
                Group& g = *e->group;
                g.Drain();
                // Wine never posts the "no process left" message, so the count decides.
                if (g.Active() == 0) {
                    return WaitOutcome::kSignalled;
                }
                recount = recount || g.unwatched || g.members.empty();
                for (auto& [pid, member] : g.members) {
                    waitables.push_back(member.Get());
                }
            }
            if (waitables.size() > kMaxWaitHandles) {
                waitables.resize(kMaxWaitHandles);
                recount = true;
            }
            ULONGLONG elapsed = GetTickCount64() - start;
            if (elapsed >= ms && ms != INFINITE) {
                return WaitOutcome::kTimeout;
            }
            DWORD slice = ms == INFINITE ? INFINITE : static_cast<DWORD>(ms - elapsed);
            if (recount) {
                slice = std::min(slice, kGroupRecount);
            }
            DWORD n = static_cast<DWORD>(waitables.size());
            DWORD r = MsgWaitForMultipleObjectsEx(n, waitables.data(), slice, QS_ALLINPUT,
                                                  MWMO_INPUTAVAILABLE);
            if (r == WAIT_FAILED) {
                return WaitOutcome::kFailed;
            }
            if (r == WAIT_OBJECT_0 + n) {
                return WaitOutcome::kMessage;
            }
            if (r < WAIT_OBJECT_0 + n && IsWaitedProcess(handles, waitables[r - WAIT_OBJECT_0])) {
                return WaitOutcome::kSignalled;
            }
            // A group member ended or the slice ran out: drain and count again.
            if (r < WAIT_OBJECT_0 + n) {
                ForgetMember(handles, waitables[r - WAIT_OBJECT_0]);
            }
        }
    }

    void Close(ProcessHandle handle) override { m_entries.erase(handle); }

    uint32_t List(std::vector<ProcessEntry>& entries) override {
        entries.clear();
        UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
        if (!snapshot.Valid()) {
            return GetLastError();
        }
        PROCESSENTRY32 pe{};
        pe.dwSize = sizeof(pe);
        for (BOOL more = Process32First(snapshot.Get(), &pe); more;
             more = Process32Next(snapshot.Get(), &pe)) {
            entries.push_back({pe.th32ProcessID, pe.th32ParentProcessID, pe.szExeFile});
        }
        return 0;
    }

    uint32_t ShellOpen(const std::string& file, int32_t showCommand) override {
        auto result = reinterpret_cast<INT_PTR>(
            ShellExecuteA(nullptr, nullptr, file.c_str(), nullptr, nullptr, showCommand));
        return result > 32 ? 0 : static_cast<uint32_t>(result);
    }

    uint32_t Terminate(ProcessHandle process, uint32_t exitCode) override {
        Entry* e = Find(process);
        if (e == nullptr || e->group) {
            return ERROR_INVALID_HANDLE;
        }
        return TerminateProcess(e->handle.Get(), exitCode) ? 0 : GetLastError();
    }

    uint32_t CurrentId() override { return GetCurrentProcessId(); }

    uint32_t WindowProcess(const std::string& title, uint32_t& pid) override {
        HWND window = FindWindowA(nullptr, title.c_str());
        if (window == nullptr) {
            return ERROR_INVALID_WINDOW_HANDLE;
        }
        DWORD owner = 0;
        if (GetWindowThreadProcessId(window, &owner) == 0) {
            return GetLastError();
        }
        pid = owner;
        return 0;
    }

private:
    // Handles are known by their kernel handle's value (the job's for a group).
    ProcessHandle Register(UniqueHandle handle) {
        auto id = static_cast<ProcessHandle>(reinterpret_cast<uintptr_t>(handle.Get()));
        m_entries[id] = Entry{std::move(handle), nullptr};
        return id;
    }
    ProcessHandle RegisterGroup(std::unique_ptr<Group> group) {
        auto id = static_cast<ProcessHandle>(reinterpret_cast<uintptr_t>(group->job.Get()));
        m_entries[id] = Entry{UniqueHandle(), std::move(group)};
        return id;
    }

    Entry* Find(ProcessHandle h) {
        auto it = m_entries.find(h);
        return it == m_entries.end() ? nullptr : &it->second;
    }

    bool IsWaitedProcess(const std::vector<ProcessHandle>& handles, HANDLE h) {
        for (ProcessHandle id : handles) {
            Entry* e = Find(id);
            if (e != nullptr && !e->group && e->handle.Get() == h) {
                return true;
            }
        }
        return false;
    }

    void ForgetMember(const std::vector<ProcessHandle>& handles, HANDLE h) {
        for (ProcessHandle id : handles) {
            Entry* e = Find(id);
            if (e == nullptr || !e->group) {
                continue;
            }
            auto& members = e->group->members;
            for (auto it = members.begin(); it != members.end(); ++it) {
                if (it->second.Get() == h) {
                    members.erase(it);
                    return;
                }
            }
        }
    }

    std::map<ProcessHandle, Entry> m_entries;
};

}  // namespace

std::unique_ptr<Processes> MakeProcesses() {
    return std::make_unique<Win32Processes>();
}

}  // namespace kestrel::os::win32
