// The installed-applications scan against reg.exe over the same keys. It seeds 2,000
// Uninstall entries (1,000 per registry view), then times Kestrel's scan and placement in this
// process beside "reg query <key> /s" over both keys, whose own start-up (a query of a missing
// key) is measured apart and taken off. The fastest of several runs on each side, so that other
// work on the machine does not land on one side only; run it in a fresh prefix
// (bench/inventory_scan.sh), since it fills the Uninstall keys.
#include "os/win32/windows_api.h"

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "core/context.h"
#include "inventory/app_list.h"
#include "inventory/inventory_scan.h"
#include "os/fake/fake_basics.h"
#include "os/win32/port_set.h"

namespace {

constexpr int kPerView = 1000;
constexpr int kRuns = 7;
constexpr const char* kUninstall = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

double NowMs() {
    LARGE_INTEGER f, t;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&t);
    return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(f.QuadPart);
}

double Fastest(const std::vector<double>& v) {
    return *std::min_element(v.begin(), v.end());
}

void SetText(HKEY key, const char* name, const std::string& text) {
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>(text.size() + 1));
}

bool Seed(REGSAM view, const char* tag) {
    for (int i = 0; i < kPerView; ++i) {
        char subkey[256];
        std::snprintf(subkey, sizeof(subkey), "%s\\BenchApp-%s-%04d", kUninstall, tag, i);
        HKEY key = nullptr;
        if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, subkey, 0, nullptr, 0, KEY_ALL_ACCESS | view,
                            nullptr, &key, nullptr) != ERROR_SUCCESS) {
            return false;
        }
        const std::string n = std::to_string(i);
        SetText(key, "DisplayName", "Bench Application " + std::string(tag) + " " + n);
        SetText(key, "Publisher", "Vendor " + std::to_string(i % 37));
        SetText(key, "UninstallString", "\"C:\\Program Files\\Bench\\" + n + "\\uninst.exe\"");
        SetText(key, "DisplayVersion", "1." + n);
        SetText(key, "InstallLocation", "C:\\Program Files\\Bench\\" + n);
        DWORD size = 1024u + static_cast<DWORD>(i);
        RegSetValueExA(key, "EstimatedSize", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&size),
                       sizeof(size));
        RegCloseKey(key);
    }
    return true;
}

void Unseed(REGSAM view, const char* tag) {
    HKEY parent = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstall, 0, KEY_ALL_ACCESS | view, &parent) !=
        ERROR_SUCCESS) {
        return;
    }
    for (int i = 0; i < kPerView; ++i) {
        char subkey[256];
        std::snprintf(subkey, sizeof(subkey), "BenchApp-%s-%04d", tag, i);
        RegDeleteTreeA(parent, subkey);
    }
    RegCloseKey(parent);
}

// Runs a command with its output thrown away; its wall time in milliseconds.
double TimeCommand(const std::string& commandLine) {
    SECURITY_ATTRIBUTES sa{sizeof(sa), nullptr, TRUE};
    HANDLE nul =
        CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_WRITE, &sa, OPEN_EXISTING, 0, nullptr);
    STARTUPINFOA si{};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = nul;
    si.hStdError = nul;
    si.hStdInput = nullptr;
    PROCESS_INFORMATION pi{};
    std::string line = commandLine;
    const double start = NowMs();
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &si, &pi)) {
        CloseHandle(nul);
        return -1;
    }
    WaitForSingleObject(pi.hProcess, INFINITE);
    const double elapsed = NowMs() - start;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    CloseHandle(nul);
    return elapsed;
}

}  // namespace

int main() {
    if (!Seed(KEY_WOW64_64KEY, "x64") || !Seed(KEY_WOW64_32KEY, "x86")) {
        std::printf("inventory_scan: could not seed the registry\n");
        return 1;
    }
    kestrel::os::fake::FakeDebugOutput quiet;  // the scan's trace lines are not what is timed
    kestrel::os::win32::PortSet ports;
    kestrel::Context ctx(ports.Get(&quiet));
    ctx.redirection.SetAllowed(true);
    const std::vector<std::string> blacklist = {"Vendor 3|", "Application x86 99",
                                                ";Bench Application x64 1"};

    size_t found = 0;
    std::vector<double> scans;
    for (int run = 0; run < kRuns; ++run) {
        quiet.lines.clear();
        const double start = NowMs();
        std::vector<std::string> records = kestrel::ScanInstalledApps(ctx, {});
        kestrel::SortCollection(records, true);
        kestrel::AppLists lists;
        kestrel::PlaceApps(lists, records, blacklist);
        scans.push_back(NowMs() - start);
        found = records.size();
    }
    std::vector<double> queries;
    std::vector<double> startups;
    const std::string key = std::string("\"HKLM\\") + kUninstall + "\"";
    for (int run = 0; run < kRuns; ++run) {
        const double both = TimeCommand("reg.exe query " + key + " /s") +
                            TimeCommand("reg.exe query " + key + " /s /reg:32");
        queries.push_back(both);
        startups.push_back(TimeCommand("reg.exe query \"HKLM\\SOFTWARE\\KestrelBenchNoSuchKey\""));
    }
    PROCESS_MEMORY_COUNTERS memory{};
    GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof(memory));
    Unseed(KEY_WOW64_64KEY, "x64");
    Unseed(KEY_WOW64_32KEY, "x86");

    const double scan = Fastest(scans);
    const double peer = Fastest(queries) - 2 * Fastest(startups);
    std::printf(
        "inventory_scan_2000_entries_ms: %.1f (ratio to peer: %.2fx faster than reg query /s, "
        "which took %.1f ms without its start-up)\n",
        scan, peer / scan, peer);
    std::printf("inventory_scan_peak_working_set_kb: %zu (ratio to peer: n/a)\n",
                static_cast<size_t>(memory.PeakWorkingSetSize / 1024));
    if (found != 2u * kPerView) {
        std::printf("inventory_scan: found %zu entries instead of %d\n", found, 2 * kPerView);
        return 1;
    }
    return 0;
}
