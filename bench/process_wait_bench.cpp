// How soon a wait notices that a program has ended: the time from a child's last act before it
// exits to the wait's return, as the median of several runs, for the wait of
// ShellAndWaitForTermination (alone and following the program's descendants) beside the peer,
// a loop that reads the exit code and sleeps 100 ms between reads.
//
// The child is this program again ("--stamp=<mapping>:<ms>"): it sleeps, writes the
// performance counter into a shared mapping and exits.
#include "os/win32/windows_api.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/context.h"
#include "os/win32/port_set.h"
#include "platform/process_launch.h"

namespace {

constexpr int kRuns = 15;
constexpr int kChildSleepMs = 120;

double Milliseconds(LONGLONG ticks) {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return 1000.0 * static_cast<double>(ticks) / static_cast<double>(f.QuadPart);
}

LONGLONG Now() {
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t.QuadPart;
}

int RunChild(const char* arguments) {
    std::string text(arguments);
    const size_t colon = text.rfind(':');
    Sleep(static_cast<DWORD>(std::atoi(text.c_str() + colon + 1)));
    HANDLE mapping = OpenFileMappingA(FILE_MAP_WRITE, FALSE, text.substr(0, colon).c_str());
    if (mapping == nullptr) {
        return 2;
    }
    auto* stamp = static_cast<LONGLONG*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 8));
    if (stamp != nullptr) {
        *stamp = Now();
        UnmapViewOfFile(stamp);
    }
    CloseHandle(mapping);
    return 0;
}

// A shared stamp the child fills in.
class Stamp {
public:
    explicit Stamp(int run) {
        name = "Local\\KestrelBenchStamp-" + std::to_string(GetCurrentProcessId()) + "-" +
               std::to_string(run);
        m_mapping =
            CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 8, name.c_str());
        m_view = static_cast<LONGLONG*>(MapViewOfFile(m_mapping, FILE_MAP_ALL_ACCESS, 0, 0, 8));
        *m_view = 0;
    }
    ~Stamp() {
        UnmapViewOfFile(m_view);
        CloseHandle(m_mapping);
    }
    LONGLONG Value() const { return *m_view; }
    std::string name;

private:
    HANDLE m_mapping;
    LONGLONG* m_view;
};

std::string ChildLine(const Stamp& stamp) {
    char buffer[MAX_PATH] = {};
    std::string self(buffer, GetModuleFileNameA(nullptr, buffer, MAX_PATH));
    // Started by a relative Unix path from a folder no drive maps, Wine names the program
    // "unix\..."; only the "\\?\" form of that name can be started again.
    if (self.rfind("unix\\", 0) == 0) {
        self = "\\\\?\\" + self;
    }
    return "\"" + self + "\" --stamp=" + stamp.name + ":" + std::to_string(kChildSleepMs);
}

// The peer: start, then read the exit code, dispatch messages and sleep 100 ms until it ends.
void PollEvery100Ms(const std::string& commandLine) {
    STARTUPINFOA si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi)) {
        return;
    }
    CloseHandle(pi.hThread);
    DWORD code = STILL_ACTIVE;
    do {
        GetExitCodeProcess(pi.hProcess, &code);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageA(&msg);
        }
        Sleep(100);
    } while (code == STILL_ACTIVE);
    CloseHandle(pi.hProcess);
}

template <class Wait>
double MedianLatency(Wait wait) {
    std::vector<double> samples;
    for (int run = 0; run < kRuns; ++run) {
        Stamp stamp(run);
        wait(ChildLine(stamp));
        const LONGLONG returned = Now();
        if (stamp.Value() != 0) {
            samples.push_back(Milliseconds(returned - stamp.Value()));
        }
    }
    if (samples.empty()) {
        return -1;
    }
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strncmp(argv[1], "--stamp=", 8) == 0) {
        return RunChild(argv[1] + 8);
    }
    using namespace kestrel;
    os::win32::PortSet ports;
    Context ctx(ports.Get());

    const double peer = MedianLatency(PollEvery100Ms);
    const double wait = MedianLatency([&](const std::string& line) {
        std::string message;
        (void)ShellAndWaitForTermination(ctx, line, kWindowHidden, message, 60000, true);
    });
    const double tree = MedianLatency([&](const std::string& line) {
        std::string message;
        (void)ShellAndWaitForTermination(ctx, line, kWindowHidden, message, 60000, true,
                                         {.waitForDescendants = true});
    });
    if (peer <= 0 || wait < 0 || tree < 0) {
        std::printf("process_wait: the child's stamp was not seen\n");
        return 1;
    }
    std::printf("process_wait_exit_to_return_ms: %.2f (%.3f to 100 ms poll)\n", wait, wait / peer);
    std::printf("process_wait_tree_exit_to_return_ms: %.2f (%.3f to 100 ms poll)\n", tree,
                tree / peer);
    std::printf("poll_100ms_exit_to_return_ms: %.2f (1.000 to 100 ms poll)\n", peer);
    return 0;
}
