#pragma once
// The Win32 implementations of the ports. Only the composition root and the Win32 tests use
// this header; it does not include <windows.h>.

#include <memory>

#include "os/clock.h"
#include "os/debug_output.h"
#include "os/environment.h"
#include "os/file_system.h"
#include "os/process_query.h"
#include "os/processes.h"
#include "os/profile_strings.h"
#include "os/registry.h"
#include "os/security.h"
#include "os/shell_files.h"
#include "os/system_info.h"
#include "os/user_prompts.h"
#include "os/volumes.h"
#include "os/wow64.h"

namespace kestrel::os::win32 {

std::unique_ptr<Environment> MakeEnvironment();
std::unique_ptr<FileSystem> MakeFileSystem();
std::unique_ptr<ProfileStrings> MakeProfileStrings();
std::unique_ptr<DebugOutput> MakeDebugOutput();
std::unique_ptr<Clock> MakeClock();
std::unique_ptr<Wow64Redirection> MakeWow64Redirection();
std::unique_ptr<Volumes> MakeVolumes();
std::unique_ptr<ShellFiles> MakeShellFiles();
std::unique_ptr<SystemInfo> MakeSystemInfo();
std::unique_ptr<UserPrompts> MakeUserPrompts();
std::unique_ptr<Registry> MakeRegistry();
std::unique_ptr<Security> MakeSecurity();
std::unique_ptr<Processes> MakeProcesses();
std::unique_ptr<ProcessQuery> MakeProcessQuery();

}  // namespace kestrel::os::win32
