#include "e2e/watched_run.h"

#include "os/win32/windows_api.h"

#include <stdexcept>

namespace kestrel::e2e {
namespace {

std::string ReadDebugString(HANDLE process, const OUTPUT_DEBUG_STRING_INFO& info) {
    std::string text(info.nDebugStringLength, '\0');
    SIZE_T read = 0;
    if (info.fUnicode ||
        !ReadProcessMemory(process, info.lpDebugStringData, text.data(), text.size(), &read)) {
        return {};
    }
    text.resize(read);
    while (!text.empty() && (text.back() == '\0' || text.back() == '\n' || text.back() == '\r')) {
        text.pop_back();
    }
    return text;
}

}  // namespace

std::string WatchedRun::Text() const {
    std::string text;
    for (const std::string& line : debugLines) {
        text += line + "\n";
    }
    return text;
}

WatchedRun RunWatched(const KestrelSandbox& kestrel, const std::string& arguments,
                      unsigned timeoutMs) {
    const std::string& program = kestrel.Program();
    const std::string folder = program.substr(0, program.rfind('\\') + 1);
    std::string line = "\"" + program + "\" " + arguments;
    STARTUPINFOA si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, DEBUG_ONLY_THIS_PROCESS,
                        nullptr, folder.c_str(), &si, &pi)) {
        throw std::runtime_error("cannot start " + line);
    }
    WatchedRun run;
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    bool ended = false, overran = false;
    while (!ended) {
        DEBUG_EVENT event{};
        if (!WaitForDebugEvent(&event, 1000)) {
            if (!overran && GetTickCount64() > deadline) {
                overran = true;
                TerminateProcess(pi.hProcess, 1);
            }
            continue;
        }
        DWORD status = DBG_CONTINUE;
        switch (event.dwDebugEventCode) {
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
            case OUTPUT_DEBUG_STRING_EVENT:
                run.debugLines.push_back(ReadDebugString(pi.hProcess, event.u.DebugString));
                break;
            case EXCEPTION_DEBUG_EVENT:
                // The loader's first breakpoint is the debugger's; everything else is the
                // program's own to handle.
                if (event.u.Exception.ExceptionRecord.ExceptionCode != EXCEPTION_BREAKPOINT) {
                    status = DBG_EXCEPTION_NOT_HANDLED;
                }
                break;
            case EXIT_PROCESS_DEBUG_EVENT:
                run.exitCode = overran ? -1 : static_cast<int>(event.u.ExitProcess.dwExitCode);
                ended = true;
                break;
            default:
                break;
        }
        ContinueDebugEvent(event.dwProcessId, event.dwThreadId, status);
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return run;
}

}  // namespace kestrel::e2e
