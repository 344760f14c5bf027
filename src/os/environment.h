#pragma once
// Port: the process environment, the running program file and the well-known folders.

#include <string>
#include <string_view>

namespace kestrel::os {

struct VersionNumbers {
    int major = 0;
    int minor = 0;
    int revision = 0;
};

class Environment {
public:
    virtual ~Environment() = default;

    // The value of an environment variable; "" when it is not set. Names ignore case.
    virtual std::string Variable(std::string_view name) const = 0;

    // The full path of the running program file, as GetModuleFileNameA gives it.
    virtual std::string ProgramFile() const = 0;

    // The whole command line of the process (GetCommandLineA), program name included.
    virtual std::string CommandLine() const = 0;

    // The version resource of the running program file (all 0 when it has none).
    virtual VersionNumbers ProgramVersion() const = 0;

    // SHGetFolderPathA(no window, csidl, no token, current path); "" on failure. The caller
    // adds CSIDL_FLAG_CREATE (0x8000) where it wants a missing folder created.
    virtual std::string SpecialFolder(int csidl) const = 0;

    // GetWindowsDirectoryA / GetSystemDirectoryA.
    virtual std::string WindowsDirectory() const = 0;
    virtual std::string SystemDirectory() const = 0;
};

}  // namespace kestrel::os
