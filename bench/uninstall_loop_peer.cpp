// The peer of the unattended-run benchmark: the same uninstall commands run directly, one
// after the other, each waited for with everything it starts (the least any correct run of
// relaunching uninstallers must wait), with nothing around them.
//   uninstall_loop_peer.exe <file of command lines>
#include <fstream>
#include <string>
#include <vector>

#include "os/owned.h"
#include "os/processes.h"
#include "os/win32/win32_ports.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        return 2;
    }
    std::ifstream in(argv[1]);
    std::vector<std::string> commands;
    for (std::string line; std::getline(in, line);) {
        while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) {
            line.pop_back();
        }
        if (!line.empty()) {
            commands.push_back(line);
        }
    }
    auto processes = kestrel::os::win32::MakeProcesses();
    auto prompts = kestrel::os::win32::MakeUserPrompts();
    int failures = 0;
    for (const std::string& command : commands) {
        kestrel::os::StartedProcess started;
        if (processes->Start(command, 1, true, started) != 0) {
            ++failures;
            continue;
        }
        const kestrel::os::OwnedProcess process(*processes, started.process);
        const kestrel::os::OwnedProcess group(*processes, started.group);
        const kestrel::os::ProcessHandle waited = group.Valid() ? group.Get() : process.Get();
        while (processes->Wait({waited}, 60000) == kestrel::os::WaitOutcome::kMessage) {
            prompts->DoEvents();
        }
    }
    return failures;
}
