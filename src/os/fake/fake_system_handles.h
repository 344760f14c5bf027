#pragma once
// The open handles of the fake machine's processes. A handle names its object as the system
// does ("\??\C:\dir\file" as Wine names files, "\Device\HarddiskVolume2\dir\file" as Windows
// does, through the drive map in devices); while any handle on a file of the fake file system
// is open, that file is locked. Closing its last handle unlocks it, and so does the end of the
// process that holds it, which this fake notices at its next call (or at Sync).

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "os/fake/fake_file_system.h"
#include "os/fake/fake_processes.h"
#include "os/system_handles.h"

namespace kestrel::os::fake {

class FakeSystemHandles : public SystemHandles {
public:
    FakeSystemHandles(FakeProcesses& processes, FakeFileSystem& files);

    // The object type indices of this machine's handle list.
    static constexpr uint16_t kFileTypeIndex = 37;
    static constexpr uint16_t kProcessTypeIndex = 7;

    struct Handle {
        std::string name;  // the object name; "" for an unnamed object
        uint16_t typeIndex = kFileTypeIndex;
        uint32_t fileType = filetype::kDisk;
        bool blocks = false;  // a pipe whose type query never answers
    };
    // Opens a handle inside a running process (or the program's own); its value there.
    uint64_t Add(uint32_t pid, Handle handle);
    // A handle of that process on a file or folder of the fake file system, in the name form
    // Wine gives ("\??\C:\...") or, with deviceForm, the one Windows gives.
    uint64_t Hold(uint32_t pid, const std::string& path, bool deviceForm = false);
    // The device name of each drive ("C:" -> "\Device\HarddiskVolume2").
    std::map<std::string, std::string> devices;
    // Command lines by process id; without one, a process answers the command line it was
    // started with, or else its program file name.
    std::map<uint32_t, std::string> commandLines;
    // The processes Windows marks critical.
    std::set<uint32_t> critical;
    // Drops the handles of processes that have ended, unlocking their files.
    void Sync();
    // How many handles are open inside the process.
    size_t CountOf(uint32_t pid);

    // SystemHandles
    uint32_t OpenNul(OwnHandle& handle) override;
    uint32_t List(std::vector<SystemHandle>& handles) override;
    uint32_t Duplicate(uint32_t pid, uint64_t value, bool closeSource, OwnHandle& copy) override;
    uint32_t FileType(OwnHandle handle, uint32_t timeoutMs, uint32_t& type) override;
    uint32_t ObjectName(OwnHandle handle, std::string& name) override;
    uint32_t Close(OwnHandle handle) override;
    uint32_t DosDevice(const std::string& drive, std::string& device) override;
    uint32_t CommandLine(uint32_t pid, std::string& commandLine) override;
    uint32_t IsCritical(uint32_t pid, bool& isCritical) override;

private:
    struct Entry {
        Handle handle;
        std::string lockKey;  // the file it keeps locked, normalised; "" for none
    };
    bool Alive(uint32_t pid);
    // The drive path an object name stands for, "" for none.
    std::string DrivePathOf(const std::string& name) const;
    uint64_t Place(uint32_t pid, Entry entry);
    void Remove(uint32_t pid, uint64_t value);

    FakeProcesses& m_processes;
    FakeFileSystem& m_files;
    std::map<uint32_t, std::map<uint64_t, Entry>> m_open;  // by pid, then handle value
    std::map<std::string, int> m_lockCount;                // by normalised path
    std::map<uint32_t, uint64_t> m_nextValue;
};

}  // namespace kestrel::os::fake
