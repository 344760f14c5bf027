#include "os/fake/fake_process_query.h"

namespace kestrel::os::fake {
namespace {

// Win32_Process.GetOwner's "access denied" answer.
constexpr uint32_t kOwnerAccessDenied = 2;

}  // namespace

uint32_t FakeProcessQuery::List(std::vector<QueriedProcess>& processes) {
    ++lists;
    processes.clear();
    if (unavailable != 0) {
        return unavailable;
    }
    std::vector<ProcessEntry> entries;
    if (uint32_t rc = m_processes.List(entries)) {
        return rc;
    }
    processes.push_back({0, "System Idle Process"});
    for (const ProcessEntry& e : entries) {
        processes.push_back({e.pid, e.exeFile});
    }
    return 0;
}

uint32_t FakeProcessQuery::GetOwner(uint32_t pid, std::string& user) {
    ++ownerQueries;
    if (unavailable != 0) {
        return unavailable;
    }
    if (pid == m_processes.ownPid) {
        user = m_processes.startedOwner;
        return 0;
    }
    std::optional<std::string> owner = m_processes.Owner(pid);
    if (!owner) {
        return kWbemNotFound;
    }
    if (owner->empty()) {
        return kOwnerAccessDenied;
    }
    user = *owner;
    return 0;
}

uint32_t FakeProcessQuery::Terminate(uint32_t pid) {
    terminateCalls.push_back(pid);
    if (unavailable != 0) {
        return unavailable;
    }
    if (terminateMissing) {
        return kWbemInvalidMethod;
    }
    if (!m_processes.Owner(pid)) {
        return kWbemNotFound;
    }
    return m_processes.Kill(pid, 0) == 0 ? 0 : kOwnerAccessDenied;
}

}  // namespace kestrel::os::fake
