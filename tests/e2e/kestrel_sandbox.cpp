#include "e2e/kestrel_sandbox.h"

#include <atomic>
#include <stdexcept>

#include "e2e/test_apps.h"
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
    return ReadFileText(m_folder + name);
}

bool KestrelSandbox::Exists(const std::string& name) const {
    return GetFileAttributesW(os::win32::LongForm(m_folder + name).c_str()) !=
           INVALID_FILE_ATTRIBUTES;
}

void* KestrelSandbox::Launch(const std::string& arguments, uint32_t flags) const {
    const std::string commandLine =
        "\"" + m_program + "\"" + (arguments.empty() ? "" : " " + arguments);
    STARTUPINFOA si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    std::string mutableLine = commandLine;
    if (!CreateProcessA(nullptr, mutableLine.data(), nullptr, nullptr, FALSE, flags, nullptr,
                        m_folder.c_str(), &si, &pi)) {
        throw std::runtime_error("cannot start " + commandLine);
    }
    CloseHandle(pi.hThread);
    return pi.hProcess;
}

int KestrelSandbox::Run(const std::string& arguments, unsigned timeoutMs) const {
    HANDLE process = Launch(arguments, 0);
    DWORD code = static_cast<DWORD>(-1);
    if (WaitForSingleObject(process, timeoutMs) == WAIT_OBJECT_0) {
        GetExitCodeProcess(process, &code);
    } else {
        TerminateProcess(process, 1);
    }
    CloseHandle(process);
    return static_cast<int>(code);
}

namespace {

std::string DebugString(HANDLE process, const OUTPUT_DEBUG_STRING_INFO& info) {
    const size_t units = info.nDebugStringLength;
    if (units == 0 || units > 65536) {
        return {};
    }
    SIZE_T got = 0;
    if (info.fUnicode) {
        std::wstring text(units, L'\0');
        ReadProcessMemory(process, info.lpDebugStringData, text.data(), units * 2, &got);
        text.resize(got / 2);
        return os::win32::Narrow(text.substr(0, text.find(L'\0')));
    }
    std::string text(units, '\0');
    ReadProcessMemory(process, info.lpDebugStringData, text.data(), units, &got);
    text.resize(got);
    return text.substr(0, text.find('\0'));
}

}  // namespace

int KestrelSandbox::RunDebugged(const std::string& arguments, std::vector<std::string>& debugLines,
                                unsigned timeoutMs) const {
    HANDLE process = Launch(arguments, DEBUG_ONLY_THIS_PROCESS);
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    DWORD code = static_cast<DWORD>(-1);
    bool timedOut = false;
    for (bool running = true; running;) {
        DEBUG_EVENT event{};
        if (!WaitForDebugEvent(&event, 200)) {
            if (!timedOut && GetTickCount64() > deadline) {
                timedOut = true;
                TerminateProcess(process, 1);
            }
            continue;
        }
        DWORD answer = DBG_CONTINUE;
        switch (event.dwDebugEventCode) {
            case OUTPUT_DEBUG_STRING_EVENT: {
                std::string line = DebugString(process, event.u.DebugString);
                while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) {
                    line.pop_back();
                }
                debugLines.push_back(line);
                break;
            }
            case CREATE_PROCESS_DEBUG_EVENT:
                if (event.u.CreateProcessInfo.hFile != nullptr) {
                    CloseHandle(event.u.CreateProcessInfo.hFile);
                }
                break;
            case LOAD_DLL_DEBUG_EVENT:
                if (event.u.LoadDll.hFile != nullptr) {
                    CloseHandle(event.u.LoadDll.hFile);
                }
                break;
            case EXCEPTION_DEBUG_EVENT:
                // The loader's first breakpoint is the debugger's; every other exception is
                // the program's own to handle.
                if (event.u.Exception.ExceptionRecord.ExceptionCode != EXCEPTION_BREAKPOINT) {
                    answer = DBG_EXCEPTION_NOT_HANDLED;
                }
                break;
            case EXIT_PROCESS_DEBUG_EVENT:
                code = event.u.ExitProcess.dwExitCode;
                running = false;
                break;
            default:
                break;
        }
        ContinueDebugEvent(event.dwProcessId, event.dwThreadId, answer);
    }
    CloseHandle(process);
    return timedOut ? -1 : static_cast<int>(code);
}

KestrelSandbox::Started KestrelSandbox::Start(const std::string& arguments) const {
    return Started(Launch(arguments, 0));
}

KestrelSandbox::Started::~Started() {
    if (m_process != nullptr) {
        Kill();
        CloseHandle(m_process);
    }
}

void KestrelSandbox::Started::Kill() {
    if (m_process != nullptr && Running()) {
        TerminateProcess(m_process, 1);
        WaitForSingleObject(m_process, 10000);
    }
}

bool KestrelSandbox::Started::Running() const {
    return m_process != nullptr && WaitForSingleObject(m_process, 0) == WAIT_TIMEOUT;
}

}  // namespace kestrel::e2e
