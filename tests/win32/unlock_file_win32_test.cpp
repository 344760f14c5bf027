// Releasing a file that a real child process (a copy of this test program) holds open, under
// Wine: the whole road of the native handle list, duplication, naming and ending the holder.
#include <gtest/gtest.h>

#include "engine/unlock_file.h"
#include "os/win32/windows_api.h"
#include "support/child_mode.h"
#include "win32/win32_machine.h"
#include "win32/win32_world.h"

namespace kestrel {
namespace {

using os::win32::UniqueHandle;

// The child, ended whatever the test does.
struct Child {
    explicit Child(const std::string& steps) {
        std::string line = testing::ChildCommandLine(steps);
        STARTUPINFOA si{};
        si.cb = sizeof(si);
        PROCESS_INFORMATION pi{};
        if (CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                           &pi)) {
            CloseHandle(pi.hThread);
            process.Reset(pi.hProcess);
            pid = pi.dwProcessId;
        }
    }
    ~Child() {
        if (process.Valid()) {
            TerminateProcess(process.Get(), 1);
            WaitForSingleObject(process.Get(), 10000);
        }
    }
    bool Ended(DWORD ms) { return WaitForSingleObject(process.Get(), ms) == WAIT_OBJECT_0; }
    UniqueHandle process;
    DWORD pid = 0;
};

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

TEST(UnlockFileWin32, AFileHeldByAChildIsReleasedTheChildEndedAndTheFileDeletable) {
    testing::Win32Machine m;
    const std::string folder = testing::MakeScratchFolder("unlock");
    const std::string file = folder + "\\held.bin";
    {
        UniqueHandle created(
            CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
        ASSERT_TRUE(created.Valid());
    }
    {
        Child child("hold:" + file + ",sleep:60000");
        ASSERT_TRUE(child.process.Valid());
        for (int i = 0; i < 1000 && !Exists(file + ".held"); ++i) {
            Sleep(20);
        }
        ASSERT_TRUE(Exists(file + ".held"));
        ASSERT_FALSE(DeleteFileA(file.c_str()));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));

        EXPECT_TRUE(UnlockFile(m.ctx(), folder));
        ASSERT_TRUE(child.Ended(10000));
        DWORD code = 1;
        ASSERT_TRUE(GetExitCodeProcess(child.process.Get(), &code));
        EXPECT_EQ(code, 0u);  // ended by the unlock, not by the guard
        EXPECT_TRUE(DeleteFileA(file.c_str())) << GetLastError();
    }
    testing::RemoveTree(folder);
}

}  // namespace
}  // namespace kestrel
