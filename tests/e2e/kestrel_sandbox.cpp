#include "e2e/kestrel_sandbox.h"

#include <atomic>
#include <stdexcept>

#include "e2e/test_apps.h"
#include "os/win32/win32_ports.h"
#include "os/win32/windows_api.h"
#include "win32/win32_world.h"

namespace kestrel::e2e {

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
    WriteFileText(m_folder + name, content);
}

std::optional<std::string> KestrelSandbox::Read(const std::string& name) const {
    return ReadFileText(m_folder + name);
}

bool KestrelSandbox::Exists(const std::string& name) const {
    return PathExists(m_folder + name);
}

std::string KestrelSandbox::CommandLine(const std::string& arguments) const {
    return "\"" + m_program + "\"" + (arguments.empty() ? "" : " " + arguments);
}

int KestrelSandbox::Run(const std::string& arguments, unsigned timeoutMs) const {
    return WaitAndClose(StartProcess(CommandLine(arguments), m_folder), timeoutMs);
}

KestrelSandbox::Started KestrelSandbox::Start(const std::string& arguments) const {
    return Started(StartProcess(CommandLine(arguments), m_folder));
}

void KestrelSandbox::Killer::operator()(void* process) const {
    // Ending a process that has ended already succeeds, and the wait then returns at once.
    TerminateProcess(process, 1);
    WaitForSingleObject(process, 10000);
    CloseHandle(process);
}

}  // namespace kestrel::e2e
