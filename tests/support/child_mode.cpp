#include "support/child_mode.h"

#include <chrono>
#include <cstdlib>
#include <thread>

#include "base/strings.h"

#ifdef _WIN32
#include "os/win32/windows_api.h"
#endif

namespace kestrel::testing {
namespace {

void Spawn(const std::string& steps) {
#ifdef _WIN32
    std::string line = ChildCommandLine(steps);
    STARTUPINFOA si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                       &pi)) {
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
#else
    (void)steps;
#endif
}

// The handle stays open until the process ends.
void Hold(const std::string& path) {
#ifdef _WIN32
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           0, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
        CloseHandle(CreateFileA((path + ".held").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                0, nullptr));
    }
#else
    (void)path;
#endif
}

}  // namespace

int RunChild(const std::string& steps) {
    for (const std::string& step : Split(steps, ",")) {
        const size_t colon = step.find(':');
        const std::string verb = step.substr(0, colon);
        const std::string arg = colon == std::string::npos ? "" : step.substr(colon + 1);
        const int number = std::atoi(arg.c_str());
        if (verb == "sleep") {
            std::this_thread::sleep_for(std::chrono::milliseconds(number));
        } else if (verb == "spawn") {
            Spawn("sleep:" + arg);
        } else if (verb == "hold") {
            Hold(arg);
        } else if (verb == "exit") {
            return number;
        }
    }
    return 0;
}

std::string TestProgramPath() {
#ifdef _WIN32
    char buffer[MAX_PATH] = {};
    DWORD n = GetModuleFileNameA(nullptr, buffer, MAX_PATH);
    std::string path(buffer, n);
    // Started by a relative Unix path from a folder no drive maps, Wine names the program
    // "unix\..."; only the "\\?\" form of that name can be started again.
    return StartsWith(path, "unix\\") ? "\\\\?\\" + path : path;
#else
    return {};
#endif
}

std::string ChildCommandLine(const std::string& steps) {
    const std::string self = TestProgramPath();
    return self.empty() ? std::string() : "\"" + self + "\" " + kChildSwitch + steps;
}

}  // namespace kestrel::testing
