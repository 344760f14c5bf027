// Opens Kestrel's main window as a technician does (no switches), saves a screenshot of each
// of its pages, then works through a session as a technician would click it: adds a line to
// the blacklist and saves it, opens the preview of "/auto", uninstalls the checked
// applications of "Matching Blacklist", deletes the registry and file-system leftovers, and
// closes the window with its close button.
//   kestrel_window_shots.exe <Kestrel.exe> <folder>
// Writes <folder>\page1.bmp ... page6.bmp, preview.bmp and after-uninstall.bmp, and prints
// what it did; exit code 0 when every step worked, 1 otherwise.
#include "os/win32/windows_api.h"

#include <cstdio>
#include <string>
#include <vector>

#include "ui/win32/main_window_ids.h"
#include "win32/screenshot.h"
#include "win32/window_driver.h"

namespace {

using namespace kestrel::testing;
using namespace kestrel::ui;  // the control ids

constexpr unsigned kUninstallLimitMs = 15 * 60 * 1000;

void Settle(unsigned ms) {
    (void)WaitUntil([] { return false; }, ms);
}

bool Shot(HWND window, const std::string& folder, const std::string& name) {
    const std::string file = folder + "\\" + name + ".bmp";
    if (!WriteScreenshot(window, file)) {
        std::fprintf(stderr, "could not save %s\n", file.c_str());
        return false;
    }
    std::printf("%s\n", file.c_str());
    return true;
}

void PrintList(const char* heading, const std::vector<std::string>& names) {
    std::printf("%s (%zu):\n", heading, names.size());
    for (const std::string& name : names) {
        std::printf("    %s\n", name.c_str());
    }
}

// Presses a "Delete All Now" button and answers the box that says it is done.
bool DeleteAllNow(HWND window, DWORD processId, int page, int button, const char* what) {
    SelectTab(window, page);
    Settle(300);
    Press(FindControl(window, button));
    const auto answer = AnswerMessageBox(processId, 5 * 60 * 1000);
    std::printf("%s: \"Delete All Now\" answered \"%s\"\n", what,
                answer ? answer->c_str() : "(nothing)");
    return answer == "Completed!";
}

bool Session(HWND window, DWORD processId, const std::string& folder) {
    bool ok = true;
    SelectTab(window, 2);
    Settle(300);
    HWND blacklist = FindControl(window, txtDefs);
    const std::string added = "Kestrel Demo Toolbar|added from the window";
    SetWindowTextTo(blacklist, WindowText(blacklist) + "\r\n" + added);
    Press(FindControl(window, Command2));
    Settle(1000);
    std::printf("blacklist: added \"%s\" and pressed \"Save Blacklist\"\n", added.c_str());

    // What "/auto" would do, in the preview's own window.
    SelectTab(window, 3);
    Settle(300);
    Press(FindControl(window, cmdPreviewRegistry));
    HWND preview = nullptr;
    (void)WaitUntil(
        [&] {
            preview = FindWindowW(L"KestrelDetailWindow",
                                  kestrel::os::win32::Wide(kPreviewWindowCaption).c_str());
            return preview != nullptr && IsWindowVisible(preview);
        },
        5 * 60 * 1000);
    if (preview == nullptr) {
        std::fprintf(stderr, "the preview window did not open\n");
        ok = false;
    } else {
        Settle(1000);
        std::printf("\"Preview /auto\" opened \"%s\"\n", WindowText(preview).c_str());
        ok = Shot(preview, folder, "preview") && ok;
        PostMessageW(preview, WM_CLOSE, 0, 0);
        Settle(500);
    }

    SelectTab(window, 1);
    Settle(300);
    HWND list = FindControl(window, ListBox3);
    HWND uninstall = FindControl(window, Command8);
    PrintList("\"Matching Blacklist\", all checked", ListTexts(list));
    Press(uninstall);
    (void)WaitUntil([&] { return !IsWindowEnabled(uninstall); }, 10000);
    const bool finished = WaitUntil([&] { return IsWindowEnabled(uninstall); }, kUninstallLimitMs);
    if (!finished) {
        std::fprintf(stderr, "the uninstalls did not finish\n");
        ok = false;
    }
    Settle(1000);
    PrintList("\"Matching Blacklist\" after \"Uninstall Now\"", ListTexts(list));
    std::printf("status line: %s\n", WindowText(FindControl(window, txtStatus)).c_str());
    ok = Shot(window, folder, "after-uninstall") && ok;

    ok = DeleteAllNow(window, processId, 3, Command20, "Registry") && ok;
    ok = DeleteAllNow(window, processId, 4, Command19, "File System") && ok;
    return ok;
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
    // The scan may take a while.
    HWND window = WaitForProcessWindow(pi.hProcess, pi.dwProcessId, kMainWindowClass, 60000);
    bool ok = window != nullptr;
    if (!ok) {
        std::fprintf(stderr, "the main window did not open\n");
    } else {
        std::printf("window: \"%s\"\n", WindowText(window).c_str());
        Settle(1500);
        for (int page = 0; page < kPageCount; ++page) {
            SelectTab(window, page);
            Settle(700);
            ok = Shot(window, folder, "page" + std::to_string(page + 1)) && ok;
        }
        ok = Session(window, pi.dwProcessId, folder) && ok;
        PostMessageW(window, WM_CLOSE, 0, 0);
    }
    if (WaitForSingleObject(pi.hProcess, 30000) != WAIT_OBJECT_0) {
        std::fprintf(stderr, "the window did not close; ending Kestrel\n");
        TerminateProcess(pi.hProcess, 1);
        ok = false;
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return ok ? 0 : 1;
}
