#pragma once
// WMI's Win32_Process over the fake process list: the same processes, with "System Idle
// Process" (pid 0, whose owner cannot be read) in front as Windows lists it.

#include <cstdint>
#include <string>
#include <vector>

#include "os/fake/fake_processes.h"
#include "os/process_query.h"

namespace kestrel::os::fake {

class FakeProcessQuery : public ProcessQuery {
public:
    explicit FakeProcessQuery(FakeProcesses& processes) : m_processes(processes) {}

    // WMI cannot be reached: every call answers this HRESULT (0: it can).
    uint32_t unavailable = 0;
    // Terminate is not implemented (as in Wine): it answers WBEM_E_INVALID_METHOD.
    bool terminateMissing = false;
    // How often each call was made.
    int lists = 0;
    int ownerQueries = 0;
    std::vector<uint32_t> terminateCalls;

    uint32_t List(std::vector<QueriedProcess>& processes) override;
    uint32_t GetOwner(uint32_t pid, std::string& user) override;
    uint32_t Terminate(uint32_t pid) override;

private:
    FakeProcesses& m_processes;
};

inline constexpr uint32_t kWbemNotFound = 0x80041002;
inline constexpr uint32_t kWbemInvalidMethod = 0x8004102E;

}  // namespace kestrel::os::fake
