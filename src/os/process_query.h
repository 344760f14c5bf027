#pragma once
// Port: the WMI class Win32_Process (root\cimv2): the running processes by name, their owners,
// and the class's Terminate method. Results are 0 for success; otherwise the method's own
// return value or the HRESULT of the WMI call that failed (any non-zero value is a failure).

#include <cstdint>
#include <string>
#include <vector>

namespace kestrel::os {

struct QueriedProcess {
    uint32_t pid = 0;
    std::string name;  // Win32_Process.Name, the program's file name
};

class ProcessQuery {
public:
    virtual ~ProcessQuery() = default;

    // "Select * from Win32_Process": the Name and ProcessId of every process. The whole answer
    // is read before it comes back.
    [[nodiscard]] virtual uint32_t List(std::vector<QueriedProcess>& processes) = 0;
    // Win32_Process.GetOwner of the process with this id; on success user holds the owner's
    // account name (without its domain).
    [[nodiscard]] virtual uint32_t GetOwner(uint32_t pid, std::string& user) = 0;
    // Win32_Process.Terminate of the process with this id.
    [[nodiscard]] virtual uint32_t Terminate(uint32_t pid) = 0;
};

}  // namespace kestrel::os
