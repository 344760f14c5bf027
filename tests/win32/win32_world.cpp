#include "win32/win32_world.h"

#include <atomic>
#include <map>

#include "os/win32/win32_ports.h"
#include "os/win32/windows_api.h"
#include "win32/win32_machine.h"

namespace kestrel::testing {
namespace {

void RemoveTreeW(const std::wstring& path) {
    WIN32_FIND_DATAW data{};
    HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") {
                continue;
            }
            std::wstring child = path + L"\\" + name;
            SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
                // A link goes alone; what it leads to is not the test's.
                if (!RemoveDirectoryW(child.c_str())) {
                    DeleteFileW(child.c_str());
                }
            } else if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTreeW(child);
            } else {
                DeleteFileW(child.c_str());
            }
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    RemoveDirectoryW(path.c_str());
}

// A junction made by cmd's mklink, the way a technician makes one; false unless it is there.
bool MakeJunctionWithCmd(const std::string& link, const std::string& target) {
    std::string line = "cmd.exe /c mklink /J \"" + link + "\" \"" + target + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &startup, &info)) {
        return false;
    }
    os::win32::UniqueHandle process(info.hProcess), thread(info.hThread);
    WaitForSingleObject(process.Get(), 30000);
    const DWORD attributes = GetFileAttributesA(link.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

class Win32FileWorld : public FileWorld {
public:
    Win32FileWorld()
        : m_files(os::win32::MakeFileSystem()),
          m_ini(os::win32::MakeProfileStrings()),
          m_shell(os::win32::MakeShellFiles()),
          m_volumes(os::win32::MakeVolumes()),
          m_system(os::win32::MakeSystemInfo()),
          m_root(MakeScratchFolder("files")) {}
    ~Win32FileWorld() override {
        m_locks.clear();
        RemoveTree(m_root);
    }
    os::FileSystem& Files() override { return *m_files; }
    os::ProfileStrings& Ini() override { return *m_ini; }
    std::string Root() override { return m_root; }
    void Lock(const std::string& path) override {
        os::win32::UniqueHandle h(
            CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        if (h.Valid()) {
            m_locks[path] = std::move(h);
        }
    }
    void Unlock(const std::string& path) override { m_locks.erase(path); }
    bool WritesIgnoreReadOnly() const override { return RunningUnderWine(); }
    os::ShellFiles& Shell() override { return *m_shell; }
    os::Volumes& Drives() override { return *m_volumes; }
    os::SystemInfo& System() override { return *m_system; }
    bool MakeJunction(const std::string& link, const std::string& target) override {
        return MakeJunctionWithCmd(link, target);
    }
    bool ShellMoveOfSeveralItemsFails() const override { return RunningUnderWine(); }

private:
    std::unique_ptr<os::FileSystem> m_files;
    std::unique_ptr<os::ProfileStrings> m_ini;
    std::unique_ptr<os::ShellFiles> m_shell;
    std::unique_ptr<os::Volumes> m_volumes;
    std::unique_ptr<os::SystemInfo> m_system;
    std::string m_root;
    std::map<std::string, os::win32::UniqueHandle> m_locks;
};

}  // namespace

std::string MakeScratchFolder(const std::string& tag) {
    static std::atomic<int> counter{0};
    CreateDirectoryA("C:\\kestrel-tests", nullptr);
    std::string path = "C:\\kestrel-tests\\" + tag + "-" + std::to_string(GetCurrentProcessId()) +
                       "-" + std::to_string(++counter);
    RemoveTree(path);
    CreateDirectoryA(path.c_str(), nullptr);
    return path;
}

void RemoveTree(const std::string& path) {
    // Only ever below the scratch root: a wrong argument must not reach other folders.
    if (path.rfind("C:\\kestrel-tests\\", 0) != 0 || path.size() <= 17) {
        return;
    }
    RemoveTreeW(os::win32::LongForm(path));
}

std::unique_ptr<FileWorld> MakeWin32FileWorld() {
    return std::make_unique<Win32FileWorld>();
}

}  // namespace kestrel::testing
