#pragma once
// The program-wide values, made once at start and handed down by reference. There are no
// other mutable globals.

#include <string>
#include <vector>

#include "core/debug_log.h"
#include "core/fs_redirection.h"
#include "os/ports.h"

namespace kestrel {

struct DefinitionPaths {
    std::string blacklist;          // "Kestrel.txt"
    std::string whitelist;          // "Kestrel_Whitelist.txt"
    std::string regValues;          // "Kestrel_RegValues.txt"
    std::string regKeys;            // "Kestrel_RegKeys.txt"
    std::string runValues;          // "Kestrel_RunValues.txt"
    std::string fileSystemObjects;  // "Kestrel_FileSystemObjects.txt"
    std::string startMenuFolders;   // "Kestrel_StartMenuFolders.txt"
};

// The seven list files in the program's folder (with its trailing "\").
DefinitionPaths DefinitionPathsIn(const std::string& appPath);

// The run-time e-mail settings, filled by LoadEmailSettings before each sending.
struct EmailSettings {
    std::string SMTPServer;
    std::string SMTPPort;
    std::string SMTPUserName;
    std::string SMTPPassword;
    std::string FromEmail;
    std::string ToEmail;
    bool SMTPAuth = false;
    bool UseSSL = false;
};

class Context {
public:
    explicit Context(os::Ports ports);
    Context(const Context&) = delete;
    Context& operator=(const Context&) = delete;

    os::Ports os;
    DebugLog debug;
    FsRedirection redirection;

    std::string settingsFile;  // the INI file, fixed by InitAppSettings
    bool debugFileOn = false;
    std::string debugFile;

    DefinitionPaths definitions;
    std::string systemDrive;  // e.g. "C:"
    std::string runLog;       // the in-memory log of this run

    // The full paths of the profile folders of the target system (GetUserList).
    std::vector<std::string> userList;
    // The "guest_" keys of HKLM that LoadReg found mounted, and whether it has run.
    std::vector<std::string> mountedHives;
    bool hivesLoaded = false;
    EmailSettings email;
    // The program's cancel button: long file searches stop when it is set.
    bool cancelRequested = false;
    // Set once the self-update has started the new program: the run ends at once, doing
    // nothing more.
    bool endRequested = false;
};

}  // namespace kestrel
