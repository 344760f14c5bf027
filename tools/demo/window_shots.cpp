// Opens Kestrel's main window as a technician does (no switches), saves a screenshot of each
// of its pages and closes it again, as the window's own close button would.
//   kestrel_window_shots.exe <Kestrel.exe> <folder>
// Writes <folder>\page1.bmp ... page6.bmp and prints each file's name; exit code 0 when all six
// were written, 1 otherwise.
#include "os/win32/windows_api.h"

#include <commctrl.h>

#include <cstdio>
#include <string>

#include "win32/screenshot.h"

namespace {

struct Search {
    DWORD process = 0;
    HWND found = nullptr;
};

BOOL CALLBACK TakeMainWindow(HWND hwnd, LPARAM lParam) {
    auto* search = reinterpret_cast<Search*>(lParam);
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    wchar_t name[64] = {};
    GetClassNameW(hwnd, name, 64);
    if (owner == search->process && std::wstring(name) == L"KestrelMainWindow" &&
        IsWindowVisible(hwnd)) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

// Lets the window paint what it was just asked to show.
void Settle(DWORD ms) {
    for (DWORD waited = 0; waited < ms; waited += 50) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageW(&msg);
        }
        Sleep(50);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: kestrel_window_shots <Kestrel.exe> <folder>\n");
        return 2;
    }
    const std::string program = argv[1];
    const std::string folder = argv[2];
    std::wstring commandLine = L"\"" + kestrel::os::win32::Wide(program) + L"\"";
    const std::string programFolder = program.substr(0, program.find_last_of('\\'));
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        kestrel::os::win32::Wide(programFolder).c_str(), &si, &pi)) {
        std::fprintf(stderr, "cannot start %s (error %lu)\n", program.c_str(), GetLastError());
        return 1;
    }
    Search search{pi.dwProcessId, nullptr};
    for (int i = 0; i < 600 && search.found == nullptr; ++i) {  // the scan may take a while
        if (WaitForSingleObject(pi.hProcess, 100) == WAIT_OBJECT_0) {
            break;
        }
        EnumWindows(&TakeMainWindow, reinterpret_cast<LPARAM>(&search));
    }
    int written = 0;
    if (search.found == nullptr) {
        std::fprintf(stderr, "the main window did not open\n");
    } else {
        Settle(1500);
        HWND tab = FindWindowExW(search.found, nullptr, WC_TABCONTROLW, nullptr);
        for (int page = 0; page < 6 && tab != nullptr; ++page) {
            // Without TCS_BUTTONS, moving the focus selects the page and tells the window.
            SendMessageW(tab, TCM_SETCURFOCUS, page, 0);
            Settle(700);
            const std::string file = folder + "\\page" + std::to_string(page + 1) + ".bmp";
            if (kestrel::testing::WriteScreenshot(search.found, file)) {
                std::printf("%s\n", file.c_str());
                ++written;
            }
        }
        PostMessageW(search.found, WM_CLOSE, 0, 0);
    }
    if (WaitForSingleObject(pi.hProcess, 30000) != WAIT_OBJECT_0) {
        std::fprintf(stderr, "the window did not close; ending Kestrel\n");
        TerminateProcess(pi.hProcess, 1);
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return written == 6 ? 0 : 1;
}
