#include "os/fake/fake_system_handles.h"

#include "base/strings.h"
#include "os/errors.h"

namespace kestrel::os::fake {
namespace {

constexpr uint32_t kNotFound = error::kFileNotFound;
constexpr uint32_t kWaitTimeout = 258;

}  // namespace

FakeSystemHandles::FakeSystemHandles(FakeProcesses& processes, FakeFileSystem& files)
    : m_processes(processes), m_files(files) {
    devices["C:"] = "\\Device\\HarddiskVolume2";
}

bool FakeSystemHandles::Alive(uint32_t pid) {
    return pid == m_processes.ownPid || m_processes.Running(pid);
}

std::string FakeSystemHandles::DrivePathOf(const std::string& name) const {
    if (StartsWith(name, "\\??\\")) {
        return name.substr(4);
    }
    for (const auto& [drive, device] : devices) {
        if (StartsWithNoCase(name, device) &&
            (name.size() == device.size() || name[device.size()] == '\\')) {
            return drive + name.substr(device.size());
        }
    }
    return {};
}

uint64_t FakeSystemHandles::Place(uint32_t pid, Entry entry) {
    uint64_t& next = m_nextValue[pid];
    next += 4;
    if (!entry.lockKey.empty() && m_lockCount[entry.lockKey]++ == 0) {
        m_files.SetLocked(entry.lockKey, true);
    }
    m_open[pid][next] = std::move(entry);
    return next;
}

void FakeSystemHandles::Remove(uint32_t pid, uint64_t value) {
    auto& handles = m_open[pid];
    auto it = handles.find(value);
    if (it == handles.end()) {
        return;
    }
    const std::string key = it->second.lockKey;
    handles.erase(it);
    if (!key.empty() && --m_lockCount[key] == 0) {
        m_lockCount.erase(key);
        m_files.SetLocked(key, false);
    }
}

void FakeSystemHandles::Sync() {
    for (auto it = m_open.begin(); it != m_open.end();) {
        if (Alive(it->first)) {
            ++it;
            continue;
        }
        const uint32_t pid = it->first;
        while (!it->second.empty()) {
            Remove(pid, it->second.begin()->first);
        }
        it = m_open.erase(it);
    }
}

uint64_t FakeSystemHandles::Add(uint32_t pid, Handle handle) {
    Entry entry{std::move(handle), {}};
    if (entry.handle.typeIndex == kFileTypeIndex) {
        const std::string path = DrivePathOf(entry.handle.name);
        if (!path.empty() && m_files.Exists(path)) {
            entry.lockKey = FakeFileSystem::Normalize(path, nullptr).value_or("");
        }
    }
    return Place(pid, std::move(entry));
}

uint64_t FakeSystemHandles::Hold(uint32_t pid, const std::string& path, bool deviceForm) {
    std::string name = "\\??\\" + path;
    if (deviceForm) {
        auto it = devices.find(UCase(path.substr(0, 2)));
        name = (it == devices.end() ? std::string() : it->second) + path.substr(2);
    }
    return Add(pid, {name});
}

size_t FakeSystemHandles::CountOf(uint32_t pid) {
    Sync();
    auto it = m_open.find(pid);
    return it == m_open.end() ? 0 : it->second.size();
}

uint32_t FakeSystemHandles::OpenNul(OwnHandle& handle) {
    handle = Add(m_processes.ownPid, {"\\Device\\Null", kFileTypeIndex, filetype::kChar});
    return 0;
}

uint32_t FakeSystemHandles::List(std::vector<SystemHandle>& handles) {
    Sync();
    handles.clear();
    for (const auto& [pid, open] : m_open) {
        for (const auto& [value, entry] : open) {
            handles.push_back({pid, value, entry.handle.typeIndex, 0x12019F});
        }
    }
    return 0;
}

uint32_t FakeSystemHandles::Duplicate(uint32_t pid, uint64_t value, bool closeSource,
                                      OwnHandle& copy) {
    Sync();
    if (!Alive(pid)) {
        return error::kInvalidParameter;
    }
    auto& open = m_open[pid];
    auto it = open.find(value);
    if (it == open.end()) {
        return error::kInvalidHandle;
    }
    Entry entry = it->second;
    if (closeSource) {
        Remove(pid, value);
    }
    copy = Place(m_processes.ownPid, std::move(entry));
    return 0;
}

uint32_t FakeSystemHandles::FileType(OwnHandle handle, uint32_t, uint32_t& type) {
    auto& own = m_open[m_processes.ownPid];
    auto it = own.find(handle);
    if (it == own.end()) {
        return error::kInvalidHandle;
    }
    if (it->second.handle.blocks) {
        return kWaitTimeout;
    }
    type = it->second.handle.fileType;
    return 0;
}

uint32_t FakeSystemHandles::ObjectName(OwnHandle handle, std::string& name) {
    auto& own = m_open[m_processes.ownPid];
    auto it = own.find(handle);
    if (it == own.end()) {
        return error::kInvalidHandle;
    }
    name = it->second.handle.name;
    return 0;
}

uint32_t FakeSystemHandles::Close(OwnHandle handle) {
    auto& own = m_open[m_processes.ownPid];
    if (own.count(handle) == 0) {
        return error::kInvalidHandle;
    }
    Remove(m_processes.ownPid, handle);
    return 0;
}

uint32_t FakeSystemHandles::DosDevice(const std::string& drive, std::string& device) {
    auto it = devices.find(UCase(drive));
    if (it == devices.end()) {
        return kNotFound;
    }
    device = it->second;
    return 0;
}

uint32_t FakeSystemHandles::CommandLine(uint32_t pid, std::string& commandLine) {
    if (!Alive(pid)) {
        return error::kInvalidParameter;
    }
    if (auto it = commandLines.find(pid); it != commandLines.end()) {
        commandLine = it->second;
        return 0;
    }
    for (const FakeProcesses::Launch& launch : m_processes.launches) {
        if (launch.started && launch.pid == pid) {
            commandLine = launch.commandLine;
            return 0;
        }
    }
    std::vector<ProcessEntry> entries;
    if (m_processes.List(entries) == 0) {
        for (const ProcessEntry& e : entries) {
            if (e.pid == pid) {
                commandLine = e.exeFile;
                return 0;
            }
        }
    }
    return error::kAccessDenied;
}

uint32_t FakeSystemHandles::IsCritical(uint32_t pid, bool& isCritical) {
    if (!Alive(pid)) {
        return error::kInvalidParameter;
    }
    isCritical = critical.count(pid) != 0;
    return 0;
}

}  // namespace kestrel::os::fake
