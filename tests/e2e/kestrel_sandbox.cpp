#include "e2e/kestrel_sandbox.h"

#include <atomic>
#include <stdexcept>

#include "os/win32/win32_ports.h"
#include "os/win32/windows_api.h"
#include "win32/win32_world.h"

namespace kestrel::e2e {

std::string TestProgramFolder() {
    char buffer[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, buffer, MAX_PATH);
    std::string path = buffer;
    return path.substr(0, path.rfind('\\') + 1);
}

KestrelSandbox::KestrelSandbox(const std::string& tag, const std::string& exeName,
                               const std::string& parent) {
    static std::atomic<int> counter{0};
    std::string base = parent.empty() ? "C:\\kestrel-tests" : parent;
    kestrel::testing::MakeScratchFolder("e2e");  // makes sure C:\kestrel-tests exists
    std::string folder = base + "\\" + tag + "-" + std::to_string(GetCurrentProcessId()) + "-" +
                         std::to_string(++counter);
    if (os::win32::MakeFileSystem()->CreateFolderTree(folder) != 0) {
        throw std::runtime_error("cannot make " + folder);
    }
    m_folder = folder + "\\";
    m_program = m_folder + exeName;
    const std::string source = TestProgramFolder() + "Kestrel.exe";
    if (!CopyFileW(os::win32::LongForm(source).c_str(), os::win32::LongForm(m_program).c_str(),
                   FALSE)) {
        throw std::runtime_error("cannot copy " + source + " to " + m_program);
    }
}

KestrelSandbox::~KestrelSandbox() {
    kestrel::testing::RemoveTree(m_folder.substr(0, m_folder.size() - 1));
}

void KestrelSandbox::Write(const std::string& name, const std::string& content) const {
    HANDLE h = CreateFileW(os::win32::LongForm(m_folder + name).c_str(), GENERIC_WRITE, 0, nullptr,
                           CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        throw std::runtime_error("cannot write " + name);
    }
    DWORD written = 0;
    WriteFile(h, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    CloseHandle(h);
}

std::optional<std::string> KestrelSandbox::Read(const std::string& name) const {
    HANDLE h = CreateFileW(os::win32::LongForm(m_folder + name).c_str(), GENERIC_READ,
                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    std::string content;
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(h, buffer, sizeof(buffer), &got, nullptr) && got > 0) {
        content.append(buffer, got);
    }
    CloseHandle(h);
    return content;
}

bool KestrelSandbox::Exists(const std::string& name) const {
    return GetFileAttributesW(os::win32::LongForm(m_folder + name).c_str()) !=
           INVALID_FILE_ATTRIBUTES;
}

int KestrelSandbox::Run(const std::string& arguments, unsigned timeoutMs) const {
    std::string commandLine = "\"" + m_program + "\"";
    if (!arguments.empty()) {
        commandLine += " " + arguments;
    }
    STARTUPINFOA si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    std::string mutableLine = commandLine;
    if (!CreateProcessA(nullptr, mutableLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        m_folder.c_str(), &si, &pi)) {
        throw std::runtime_error("cannot start " + commandLine);
    }
    CloseHandle(pi.hThread);
    DWORD code = static_cast<DWORD>(-1);
    if (WaitForSingleObject(pi.hProcess, timeoutMs) == WAIT_OBJECT_0) {
        GetExitCodeProcess(pi.hProcess, &code);
    } else {
        TerminateProcess(pi.hProcess, 1);
        code = static_cast<DWORD>(-1);
    }
    CloseHandle(pi.hProcess);
    return static_cast<int>(code);
}

}  // namespace kestrel::e2e
