#include "win32/win32_world.h"

#include <atomic>
#include <map>

#include "os/win32/win32_ports.h"
#include "os/win32/windows_api.h"

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
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTreeW(child);
            } else {
                DeleteFileW(child.c_str());
            }
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    RemoveDirectoryW(path.c_str());
}

class Win32FileWorld : public FileWorld {
public:
    Win32FileWorld()
        : m_files(os::win32::MakeFileSystem()),
          m_ini(os::win32::MakeProfileStrings()),
          m_root(MakeScratchFolder("files")) {}
    ~Win32FileWorld() override {
        for (auto& [path, handle] : m_locks) {
            CloseHandle(handle);
        }
        RemoveTree(m_root);
    }
    os::FileSystem& Files() override { return *m_files; }
    os::ProfileStrings& Ini() override { return *m_ini; }
    std::string Root() override { return m_root; }
    void Lock(const std::string& path) override {
        HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            m_locks[path] = h;
        }
    }
    void Unlock(const std::string& path) override {
        auto it = m_locks.find(path);
        if (it != m_locks.end()) {
            CloseHandle(it->second);
            m_locks.erase(it);
        }
    }
    bool IsReal() const override { return true; }
    bool WritesIgnoreReadOnly() const override {
        return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
    }

private:
    std::unique_ptr<os::FileSystem> m_files;
    std::unique_ptr<os::ProfileStrings> m_ini;
    std::string m_root;
    std::map<std::string, HANDLE> m_locks;
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
