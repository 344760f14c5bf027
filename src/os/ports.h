#pragma once
// The set of ports through which the program reaches the operating system. The composition
// root fills it with the Win32 implementations; tests fill it with the in-memory fakes.

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

namespace kestrel::os {

struct Ports {
    Environment& env;
    FileSystem& files;
    ProfileStrings& ini;
    DebugOutput& debugOut;
    Clock& clock;
    Wow64Redirection& wow64;
    Volumes& volumes;
    ShellFiles& shell;
    SystemInfo& system;
    UserPrompts& prompts;
    Registry& registry;
    Security& security;
    Processes& processes;
    ProcessQuery& processQuery;
};

}  // namespace kestrel::os
