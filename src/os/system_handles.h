#pragma once
// Port: the open handles of every process (the native handle list of NTDLL), copies of other
// processes' handles, their object names and file types, and the command lines of other
// processes. Results are Win32 error numbers (0 success); NTSTATUS failures of the native
// calls come back as the Win32 error they map to.

#include <cstdint>
#include <string>
#include <vector>

namespace kestrel::os {

// A handle in the program's own process; 0 is none.
using OwnHandle = uint64_t;

// One entry of the system handle list.
struct SystemHandle {
    uint32_t pid = 0;
    uint64_t value = 0;  // the handle's value inside its process
    uint16_t typeIndex = 0;
    uint32_t grantedAccess = 0;
};

// GetFileType's answers.
namespace filetype {
inline constexpr uint32_t kUnknown = 0;
inline constexpr uint32_t kDisk = 1;
inline constexpr uint32_t kChar = 2;
inline constexpr uint32_t kPipe = 3;
}  // namespace filetype

class SystemHandles {
public:
    virtual ~SystemHandles() = default;

    // CreateFileA("NUL", GENERIC_READ, no sharing, OPEN_EXISTING): a file handle of the
    // program's own, whose entry in the list tells the type index of files.
    [[nodiscard]] virtual uint32_t OpenNul(OwnHandle& handle) = 0;
    // Every open handle of every process (NtQuerySystemInformation, the extended handle list,
    // whose process ids and handle values are not cut to 16 bits).
    [[nodiscard]] virtual uint32_t List(std::vector<SystemHandle>& handles) = 0;
    // Copies a handle of another process into the program's own (NtOpenProcess with
    // PROCESS_DUP_HANDLE, then NtDuplicateObject). closeSource: DUPLICATE_CLOSE_SOURCE |
    // DUPLICATE_SAME_ACCESS, which closes it in its process; otherwise
    // DUPLICATE_SAME_ATTRIBUTES with no access asked for.
    [[nodiscard]] virtual uint32_t Duplicate(uint32_t pid, uint64_t value, bool closeSource,
                                             OwnHandle& copy) = 0;
    // GetFileType of an own handle, asked on a thread of its own that is ended when it has not
    // answered within timeoutMs (a pipe's query can block for ever): 258 (WAIT_TIMEOUT) then.
    [[nodiscard]] virtual uint32_t FileType(OwnHandle handle, uint32_t timeoutMs,
                                            uint32_t& type) = 0;
    // The object name of an own handle (NtQueryObject, ObjectNameInformation) in the system
    // code page: "\Device\HarddiskVolume2\dir\file" on Windows, "\??\C:\dir\file" on Wine.
    [[nodiscard]] virtual uint32_t ObjectName(OwnHandle handle, std::string& name) = 0;
    // NtClose of an own handle.
    [[nodiscard]] virtual uint32_t Close(OwnHandle handle) = 0;
    // QueryDosDeviceA of a drive ("C:"): its device name ("\Device\HarddiskVolume2").
    [[nodiscard]] virtual uint32_t DosDevice(const std::string& drive, std::string& device) = 0;
    // The command line of another process, or its image path where the command line cannot be
    // read; at most 32,767 characters.
    [[nodiscard]] virtual uint32_t CommandLine(uint32_t pid, std::string& commandLine) = 0;
    // The process is one that Windows marks critical (ending it stops the system).
    [[nodiscard]] virtual uint32_t IsCritical(uint32_t pid, bool& critical) = 0;
};

}  // namespace kestrel::os
