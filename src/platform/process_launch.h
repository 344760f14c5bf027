#pragma once
// Starting outside programs: with a wait that keeps the window responsive and an optional
// time-out (ShellAndWaitForTermination), or as a path and parameters, optionally as the SYSTEM
// account through psexec.exe, with or without waiting (ShellX); plus a responsive delay and
// handing a URL or document to the shell.

#include <cstdint>
#include <string>

namespace kestrel {

class Context;

inline constexpr uint16_t kWindowHidden = 0;
inline constexpr uint16_t kWindowNormal = 1;
// What callers that want no time-out pass, with use-time-out false.
inline constexpr int32_t kNoTimeout = 2000000000;

inline constexpr const char* kTimedOutMessage = "The process has timed out.";

struct ShellWaitOptions {
    // Wait also for every process the program starts, directly or further down, within the
    // same time limit (installers that relaunch a copy of themselves and exit at once).
    bool waitForDescendants = false;
};

// Starts the command line (file-system redirection off) and waits until it ends. True when it
// ended in time. False with message set when it could not be started (the error's text), when
// its handle could not be had, or when useTimeout is set and more than timeoutMs milliseconds
// passed ("The process has timed out."; the program is left running). message is untouched
// on success.
[[nodiscard]] bool ShellAndWaitForTermination(Context& ctx, const std::string& sShell,
                                              uint16_t windowStyle, std::string& message,
                                              int32_t timeoutMs, bool useTimeout,
                                              const ShellWaitOptions& options = {});

// Starts sPathAndFileName (quoted when it holds a blank) with the parameters. A path with a
// "\" must name an existing file; a bare name is left to the search path. asSystem goes
// through AppPath\3rd Party Tools\psexec.exe unless the program already runs as SYSTEM, runs
// from a UNC folder or psexec.exe is missing. With wait: true once started, exitCode the last
// exit code read (259 when the time-out struck first). Without: true when it started.
[[nodiscard]] bool ShellX(Context& ctx, const std::string& sPathAndFileName,
                          const std::string& parameters, bool wait, uint16_t windowStyle,
                          uint32_t& exitCode, bool asSystem, bool useTimeout, int32_t timeoutMs);

// Waits the given seconds (none for zero, negative or not a number) while dispatching window
// messages.
void Delay(Context& ctx, double seconds);

// Hands a URL or document to the shell's default action; the outcome is not reported.
void OpenWebPage(Context& ctx, const std::string& strWebPage);

}  // namespace kestrel
