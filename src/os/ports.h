#pragma once
// The set of ports through which the program reaches the operating system. The composition
// root fills it with the Win32 implementations; tests fill it with the in-memory fakes.

#include "os/clock.h"
#include "os/debug_output.h"
#include "os/environment.h"
#include "os/file_system.h"
#include "os/hives.h"
#include "os/http.h"
#include "os/network.h"
#include "os/process_query.h"
#include "os/processes.h"
#include "os/profile_strings.h"
#include "os/registry.h"
#include "os/security.h"
#include "os/shell_files.h"
#include "os/system_handles.h"
#include "os/system_info.h"
#include "os/user_prompts.h"
#include "os/volumes.h"
#include "os/wow64.h"

namespace kestrel::os {

// The port list, written once: X(Type, member) for every port, in the order of Ports. The
// Win32 factory of each is os::win32::Make<Type>().
#define KESTREL_PORTS(X)          \
    X(Environment, env)           \
    X(FileSystem, files)          \
    X(ProfileStrings, ini)        \
    X(DebugOutput, debugOut)      \
    X(Clock, clock)               \
    X(Wow64Redirection, wow64)    \
    X(Volumes, volumes)           \
    X(ShellFiles, shell)          \
    X(SystemInfo, system)         \
    X(UserPrompts, prompts)       \
    X(Registry, registry)         \
    X(Security, security)         \
    X(Processes, processes)       \
    X(ProcessQuery, processQuery) \
    X(Hives, hives)               \
    X(SystemHandles, handles)     \
    X(Network, network)           \
    X(Http, http)

struct Ports {
#define KESTREL_PORT_MEMBER(Type, member) Type& member;
    KESTREL_PORTS(KESTREL_PORT_MEMBER)
#undef KESTREL_PORT_MEMBER
};

}  // namespace kestrel::os
