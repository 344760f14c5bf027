#include "engine/uninstall_command.h"

#include "base/strings.h"

namespace kestrel {

std::string SilentUninstallCommand(const std::string& uninstallString, bool inno) {
    if (uninstallString.empty()) {
        return {};
    }
    if (ContainsNoCase(uninstallString, "msiexec.exe")) {
        std::string command = ReplaceAllNoCase(uninstallString, "/i", "/x");
        if (!ContainsNoCase(command, "/quiet")) {
            command = ReplaceAll(LCase(command), "msiexec.exe", "msiexec.exe /passive /norestart");
        }
        return command;
    }
    if (inno) {
        return ContainsNoCase(uninstallString, "/silent")
                   ? uninstallString
                   : uninstallString + " /sp- /silent /norestart";
    }
    return ContainsNoCase(uninstallString, "/S") ? uninstallString : uninstallString + " /S";
}

}  // namespace kestrel
