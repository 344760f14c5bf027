// Releasing locked files over the fake machine: who loses a handle, who is ended, and which
// handles a path takes in.
#include <gtest/gtest.h>

#include "base/strings.h"
#include "engine/unlock_file.h"
#include "support/fake_machine.h"

namespace kestrel {
namespace {

using Handles = os::fake::FakeSystemHandles;

class UnlockFileTest : public ::testing::Test {
protected:
    bool Running(uint32_t pid) { return m.processes.Running(pid); }
    bool Deletable(const std::string& path) { return m.files.Delete(path) == 0; }
    // The program's own "NUL" handle and every copy it made are closed again.
    void ExpectNoOwnHandleLeft() { EXPECT_EQ(m.handles.CountOf(m.processes.ownPid), 0u); }

    testing::FakeMachine m;
};

struct Holder {
    const char* exeFile;
    const char* commandLine;  // "" for the program file name
    bool markedCritical;
    bool deviceForm;  // the handle's name as Windows gives it, not as Wine does
    bool released;
    bool keepsRunning;
};

TEST_F(UnlockFileTest, AHeldFileIsReleasedAndItsProgramEndedUnlessItIsTheShellOrCritical) {
    const Holder holders[] = {
        {"App.exe", "", false, false, true, false},
        {"App.exe", "", false, true, true, false},
        {"explorer.exe", "C:\\Windows\\Explorer.EXE /factory", false, false, true, true},
        {"lsass.exe", "", false, false, false, true},
        {"SvcHost.exe", "C:\\Windows\\system32\\SVCHOST.EXE -k netsvcs", false, true, false, true},
        {"guard.exe", "\"C:\\Windows\\system32\\csrss.exe\" ObjectDirectory=\\Windows", false,
         false, false, true},
        {"helper.exe", "", true, false, false, true},
    };
    for (const Holder& h : holders) {
        SCOPED_TRACE(std::string(h.exeFile) + (h.deviceForm ? " (device name)" : ""));
        testing::FakeMachine f;
        f.files.AddFile("C:\\App\\data.bin", "x");
        const uint32_t pid = f.processes.AddRunning(h.exeFile);
        if (*h.commandLine != '\0') {
            f.handles.commandLines[pid] = h.commandLine;
        }
        if (h.markedCritical) {
            f.handles.critical.insert(pid);
        }
        (void)f.handles.Hold(pid, "C:\\App\\data.bin", h.deviceForm);
        EXPECT_NE(f.files.Delete("C:\\App\\data.bin"), 0u);  // locked while held

        EXPECT_EQ(UnlockFile(f.ctx, "C:\\App\\data.bin"), h.released);
        EXPECT_EQ(f.processes.Running(pid), h.keepsRunning);
        EXPECT_EQ(f.handles.CountOf(pid), h.released ? 0u : 1u);
        EXPECT_EQ(f.files.Delete("C:\\App\\data.bin") == 0, h.released);
        EXPECT_EQ(f.handles.CountOf(f.processes.ownPid), 0u);
        EXPECT_EQ(ContainsNoCase(f.Log(), "handle left open"), !h.released) << f.Log();
    }
}

TEST_F(UnlockFileTest, AFolderTakesInItselfAndWhatIsBelowItByWholeComponents) {
    m.files.AddFile("C:\\App\\sub\\x.dll");
    m.files.AddFile("C:\\App Data\\x");
    m.files.AddFile("C:\\Apple\\y");
    const uint32_t below = m.processes.AddRunning("a.exe");
    const uint32_t folder = m.processes.AddRunning("b.exe");
    const uint32_t beside = m.processes.AddRunning("c.exe");
    (void)m.handles.Hold(below, "C:\\APP\\sub\\x.dll");
    (void)m.handles.Hold(folder, "C:\\App", true);
    (void)m.handles.Hold(beside, "C:\\App Data\\x");
    (void)m.handles.Hold(beside, "C:\\Apple\\y", true);

    // A drive root or a relative path would take in every program: nothing is touched.
    for (const char* tooWide : {"C:\\", "c:/", "C:", "App", ""}) {
        EXPECT_FALSE(UnlockFile(m.ctx, tooWide)) << tooWide;
    }
    EXPECT_TRUE(m.processes.terminated.empty());

    EXPECT_TRUE(UnlockFile(m.ctx, "c:/app//"));
    EXPECT_FALSE(Running(below));
    EXPECT_FALSE(Running(folder));
    EXPECT_TRUE(Running(beside));
    EXPECT_EQ(m.handles.CountOf(beside), 2u);
    EXPECT_TRUE(Deletable("C:\\App\\sub\\x.dll"));
    EXPECT_FALSE(Deletable("C:\\App Data\\x"));
    ExpectNoOwnHandleLeft();
}

TEST_F(UnlockFileTest, HandlesWithoutADrivePathOrAnAnswerAreSkipped) {
    const uint32_t pid = m.processes.AddRunning("server.exe");
    // A pipe whose type query never answers, a volume without a drive letter, a process handle.
    (void)m.handles.Add(
        pid, {"\\??\\C:\\App\\pipe", Handles::kFileTypeIndex, os::filetype::kPipe, true});
    (void)m.handles.Add(pid, {"\\Device\\HarddiskVolume9\\App\\x"});
    (void)m.handles.Add(pid, {"\\??\\C:\\App\\x", Handles::kProcessTypeIndex});
    (void)m.handles.Add(pid, {"\\Device\\HarddiskVolume22\\App\\x"});  // not C:'s volume 2

    EXPECT_TRUE(UnlockFile(m.ctx, "C:\\App"));
    EXPECT_TRUE(Running(pid));
    EXPECT_EQ(m.handles.CountOf(pid), 4u);
    ExpectNoOwnHandleLeft();
}

TEST_F(UnlockFileTest, TheProgramsOwnHandlesAreLeftAndItIsNeverEnded) {
    m.files.AddFile("C:\\App\\log.txt");
    const uint32_t own = m.processes.ownPid;
    const uint64_t value = m.handles.Hold(own, "C:\\App\\log.txt");
    EXPECT_FALSE(CloseRemoteHandle(m.ctx, own, value));
    EXPECT_TRUE(UnlockFile(m.ctx, "C:\\App"));  // not among the handles looked at
    EXPECT_EQ(m.handles.CountOf(own), 1u);
    EXPECT_TRUE(m.processes.terminated.empty());
}

}  // namespace
}  // namespace kestrel
