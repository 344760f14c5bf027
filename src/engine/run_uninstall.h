#pragma once
// Running an application's uninstaller unattended.

#include <cstdint>
#include <string>

namespace kestrel {

class Context;

inline constexpr int32_t kUninstallTimeLimit = 300000;
// The settings key ("Options") that shortens or lengthens the limit, in milliseconds.
inline constexpr const char* kUninstallTimeoutKey = "UninstallTimeout";

// How long an uninstaller may run before the run moves on: the whole number of milliseconds
// in "UninstallTimeout" of the settings' "Options" when it is one from 1 to 2,147,483,647,
// otherwise 300,000.
int32_t UninstallTimeLimit(Context& ctx);

// Runs the silent form of the uninstall command in a normal window and waits, at most the time
// limit, for the uninstaller and every process it starts (uninstallers that relaunch a copy of
// themselves and exit at once are followed to the end). An uninstaller still running then is
// left running. Nothing runs for an empty command. Whether the application is gone is for the
// caller to find out.
void RunUninstallString(Context& ctx, const std::string& uninstallString, bool inno);

}  // namespace kestrel
