// The system handle port's contract: the same cases for the fake and for Windows (Wine), whose
// child is a copy of the test program holding a file open.
#include <gtest/gtest.h>

#include "base/strings.h"
#include "base/strip.h"
#include "contract/system_handles_world.h"
#include "os/fake/fake_file_system.h"
#include "os/fake/fake_processes.h"
#include "os/fake/fake_system_handles.h"
#include "os/fake/fake_volumes.h"

namespace kestrel::testing {
namespace {

// The child, ended and its handle closed when the case ends.
struct Holder : os::StartedProcess {
    Holder(SystemHandlesWorld& w, const std::string& path) : ps(w.Processes()) {
        EXPECT_EQ(w.StartHolder(path, *this), 0u);
    }
    ~Holder() {
        if (process != 0) {
            (void)ps.Terminate(process, 0);
            (void)ps.Wait({process}, 10000);  // gone before its folder is removed
            ps.Close(process);
        }
    }
    os::Processes& ps;
};

// The drive path of an object name: "\??\C:\..." as it stands, "\Device\..." by the drive map.
std::string DrivePath(SystemHandlesWorld& w, const std::string& name) {
    if (StartsWith(name, "\\??\\")) {
        return name.substr(4);
    }
    for (const std::string& root : w.Drives().LogicalDrives()) {
        std::string device;
        if (w.Handles().DosDevice(root.substr(0, 2), device) == 0 && !device.empty() &&
            StartsWithNoCase(name, device + "\\")) {
            return root.substr(0, 2) + name.substr(device.size());
        }
    }
    return {};
}

// The file name of the program a command line (or an image path) starts.
std::string ProgramFileName(const std::string& commandLine) {
    const bool quoted = StartsWith(commandLine, "\"");
    const std::string program = quoted ? commandLine.substr(1, commandLine.find('"', 1) - 1)
                                       : commandLine.substr(0, commandLine.find(' '));
    return StripPath(program);
}

uint16_t FileTypeIndex(os::SystemHandles& h, uint32_t ownPid) {
    os::OwnHandle nul = 0;
    EXPECT_EQ(h.OpenNul(nul), 0u);
    uint32_t type = 0;
    EXPECT_EQ(h.FileType(nul, 1000, type), 0u);
    EXPECT_EQ(type, os::filetype::kChar);
    std::vector<os::SystemHandle> list;
    EXPECT_EQ(h.List(list), 0u);
    uint16_t index = 0;
    for (const os::SystemHandle& e : list) {
        if (e.pid == ownPid && e.value == nul) {
            index = e.typeIndex;
        }
    }
    EXPECT_EQ(h.Close(nul), 0u);
    return index;
}

TEST_P(SystemHandlesContract, AChildsOpenFileIsListedNamedAndClosedFromOutside) {
    const std::string path = W().Root() + "\\held.txt";
    ASSERT_EQ(W().Files().Write(path, "x", os::WriteMode::kCreateNew), 0u);
    Holder child(W(), path);
    ASSERT_NE(child.pid, 0u);
    const uint16_t fileType = FileTypeIndex(h, W().Processes().CurrentId());
    ASSERT_NE(fileType, 0u);

    // Among the child's file handles, one names the held file.
    std::vector<os::SystemHandle> list;
    ASSERT_EQ(h.List(list), 0u);
    uint64_t held = 0;
    for (const os::SystemHandle& e : list) {
        if (e.pid != child.pid || e.typeIndex != fileType) {
            continue;
        }
        os::OwnHandle copy = 0;
        if (h.Duplicate(e.pid, e.value, false, copy) != 0) {
            continue;
        }
        uint32_t type = 0;
        std::string name;
        if (h.FileType(copy, 1000, type) == 0 && type == os::filetype::kDisk &&
            h.ObjectName(copy, name) == 0 && EqualsNoCase(DrivePath(W(), name), path)) {
            held = e.value;
        }
        EXPECT_EQ(h.Close(copy), 0u);
    }
    ASSERT_NE(held, 0u) << "no handle of the child names " << path;
    EXPECT_NE(W().Files().Delete(path), 0u);  // still held: the copy was closed, not the source

    os::OwnHandle copy = 0;
    ASSERT_EQ(h.Duplicate(child.pid, held, true, copy), 0u);
    EXPECT_EQ(h.Close(copy), 0u);
    EXPECT_EQ(W().Files().Delete(path), 0u);
    EXPECT_NE(h.Duplicate(child.pid, held, false, copy), 0u);  // gone from the child

    std::string commandLine;
    ASSERT_EQ(h.CommandLine(child.pid, commandLine), 0u);
    EXPECT_TRUE(EqualsNoCase(ProgramFileName(commandLine), W().ChildName())) << commandLine;
    bool critical = true;
    if (h.IsCritical(child.pid, critical) == 0) {
        EXPECT_FALSE(critical);
    }
}

TEST_P(SystemHandlesContract, DrivesHaveDeviceNamesAndUnknownHandlesAreRefused) {
    std::string device;
    ASSERT_EQ(h.DosDevice("C:", device), 0u);
    EXPECT_TRUE(StartsWith(device, "\\")) << device;
    EXPECT_NE(h.DosDevice("Q:", device), 0u);

    os::OwnHandle copy = 0;
    EXPECT_NE(h.Duplicate(0x7FFFFFF0, 4, false, copy), 0u);  // no such process
    std::string name = "untouched";
    EXPECT_NE(h.ObjectName(0x7FFFFF0, name), 0u);
    EXPECT_EQ(name, "untouched");
}

// The fake machine's pieces: a child is "C:\work\child.exe" with a handle on the file.
class FakeSystemHandlesWorld : public SystemHandlesWorld {
public:
    FakeSystemHandlesWorld() {
        m_files.AddDrive("C:");
        m_files.AddFolder("C:\\work\\scratch");
        os::fake::FakeProcesses::Program child;
        child.runMs = 3600000;
        m_processes.OnProgram("child.exe", child);
    }
    os::SystemHandles& Handles() override { return m_handles; }
    os::Processes& Processes() override { return m_processes; }
    os::FileSystem& Files() override { return m_files; }
    os::Volumes& Drives() override { return m_volumes; }
    std::string Root() override { return "C:\\work\\scratch"; }
    uint32_t StartHolder(const std::string& path, os::StartedProcess& child) override {
        const uint32_t rc =
            m_processes.Start("C:\\work\\child.exe --kestrel-child=hold:" + path, 0, false, child);
        if (rc == 0) {
            (void)m_handles.Hold(child.pid, path);
        }
        return rc;
    }
    std::string ChildName() override { return "child.exe"; }

private:
    os::fake::FakeClock m_clock;
    os::fake::FakeProcesses m_processes{m_clock};
    os::fake::FakeFileSystem m_files;
    os::fake::FakeVolumes m_volumes{m_files};
    os::fake::FakeSystemHandles m_handles{m_processes, m_files};
};

}  // namespace

std::unique_ptr<SystemHandlesWorld> MakeFakeSystemHandlesWorld() {
    return std::make_unique<FakeSystemHandlesWorld>();
}

}  // namespace kestrel::testing
