#include "app/command_line.h"

#include "base/strings.h"
#include "core/debug_log.h"

namespace kestrel {
namespace {

void AddUninstalls(std::string& line, std::vector<Action>& actions, DebugLog& log) {
    // These removals are exact (case-sensitive) and change the line for the later tests.
    line = ReplaceAll(line, "/fixbrowsers", "");
    line = ReplaceAll(line, "/auto", "");
    line = ReplaceAll(line, "/update", "");
    line = Trim(line);
    for (const std::string& piece : Split(LCase(line), "/")) {
        if (piece.compare(0, 2, "u=") != 0) {
            continue;
        }
        std::string definition = ReplaceAll(piece, "u=", "");
        if (Trim(definition).empty()) {
            log.Print(
                "CommandLine: ignored a /u= switch without a definition (it would match "
                "every installed application)");
            continue;
        }
        actions.push_back({ActionKind::kUninstall, definition});
    }
}

}  // namespace

std::vector<Action> ParseCommandLine(const std::string& commandLine, DebugLog& log) {
    std::vector<Action> actions;
    if (commandLine.empty()) {
        actions.push_back({ActionKind::kShowMainWindow, ""});
        actions.push_back({ActionKind::kRemoveOldExe, ""});
        return actions;
    }
    std::string line = commandLine;
    // A technician who adds "/preview" to a line wants to see what it does, not to do it.
    if (ContainsNoCase(line, "/preview")) {
        actions.push_back({ActionKind::kPreview, ""});
        return actions;
    }
    if (ContainsNoCase(line, "/update")) {
        actions.push_back({ActionKind::kUpdate, ""});
    }
    if (ContainsNoCase(line, "/getconfig=")) {
        actions.push_back(
            {ActionKind::kGetConfig, Trim(ReplaceAllNoCase(line, "/getconfig=", ""))});
        return actions;
    }
    if (ContainsNoCase(line, "/getdefs=")) {
        actions.push_back({ActionKind::kGetDefs, Trim(ReplaceAllNoCase(line, "/getdefs=", ""))});
        return actions;
    }
    if (ContainsNoCase(line, "/auto")) {
        actions.push_back({ActionKind::kAutoRun, ""});
    }
    if (ContainsNoCase(line, "/u=")) {
        AddUninstalls(line, actions, log);
    }
    if (ContainsNoCase(line, "/fixbrowsers")) {
        actions.push_back({ActionKind::kFixBrowsers, ""});
    }
    if (ContainsNoCase(line, "/sendreport")) {
        actions.push_back({ActionKind::kSendReport, ""});
    }
    if (ContainsNoCase(line, "/logreport")) {
        actions.push_back({ActionKind::kLogReport, ""});
    }
    if (ContainsNoCase(line, "/jsonreport")) {
        actions.push_back({ActionKind::kJsonReport, ""});
    }
    actions.push_back({ActionKind::kRemoveOldExe, ""});
    return actions;
}

}  // namespace kestrel
