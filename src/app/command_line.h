#pragma once
// The command line, worked out into the ordered list of things the program does.

#include <string>
#include <vector>

namespace kestrel {

class DebugLog;

enum class ActionKind {
    kUpdate,          // "/update"
    kGetConfig,       // "/getconfig=" with the rest of the command line
    kGetDefs,         // "/getdefs=" with the rest of the command line
    kAutoRun,         // "/auto"
    kUninstall,       // one "/u=" definition
    kFixBrowsers,     // "/fixbrowsers"
    kSendReport,      // "/sendreport"
    kLogReport,       // "/logreport"
    kJsonReport,      // "/jsonreport"
    kPreview,         // "/preview": only the preview of "/auto" runs
    kShowMainWindow,  // the window road (empty command line)
    kRemoveOldExe,    // the self-update clean-up, the last step of both roads
};

struct Action {
    ActionKind kind;
    std::string argument;
    bool operator==(const Action&) const = default;
};

// The switch tests in their order. Switches are found anywhere in the line, ignoring case;
// "/getconfig=" and "/getdefs=" end the list at once (no clean-up). A line that holds
// "/preview" runs the preview alone: it changes nothing, so neither do the other switches of
// its line, nor the clean-up. A "/u=" definition that is
// blank is not passed on (it would match every installed application); it is noted in the log.
std::vector<Action> ParseCommandLine(const std::string& commandLine, DebugLog& log);

}  // namespace kestrel
