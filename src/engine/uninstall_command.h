#pragma once
// Turning an application's uninstall command into an unattended one.

#include <string>

namespace kestrel {

// The silent form of an uninstall command, by the installer technology that wrote it:
// - Windows Installer ("msiexec.exe" anywhere): every "/i" becomes "/x"; without "/quiet" the
//   line is lower-cased and "msiexec.exe" becomes "msiexec.exe /passive /norestart".
// - Inno Setup (inno): " /sp- /silent /norestart" unless "/silent" is there.
// - anything else is taken for NSIS: " /S" unless "/s" is there in any case.
// Case is ignored in every test. "" for an empty command (nothing is to be run).
std::string SilentUninstallCommand(const std::string& uninstallString, bool inno);

}  // namespace kestrel
