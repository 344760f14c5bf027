#pragma once
// The scan of the applications registered as installed, in both registry views.

#include <string>
#include <vector>

#include "inventory/app_list.h"
#include "inventory/installed_apps.h"

namespace kestrel {

class Context;

// The two Uninstall keys under "HKLM", in the order they are read; the registry layer's view
// rule sends the second to the 32-bit view.
inline constexpr const char* kUninstallKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
inline constexpr const char* kUninstallKey32 =
    "SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

// The records (DisplayName|SubkeyName|UninstallCommand|Publisher, and the user of a per-user
// one) of every application under UninstallRoots that is neither a component
// (ParentDisplayName), nor nameless, nor a Windows update, nor protected by the whitelist,
// unsorted. When the machine's first key cannot be listed its second is not read.
std::vector<std::string> ScanInstalledApps(Context& ctx, const std::vector<std::string>& whitelist);

// The scan's filters: an application the lists may show is no component (ParentDisplayName),
// has a display name, is no Windows update and is not protected by the whitelist.
bool ShownInLists(const InstalledApp& app, const std::vector<std::string>& whitelist);

// The lines of a list file when it exists; none otherwise.
std::vector<std::string> ReadListLines(Context& ctx, const std::string& file);

// The whole scan as the main window does it: reads the blacklist and the whitelist, scans,
// sorts, places every record into the lists and checks every "Matching Blacklist" entry. The
// lists are not cleared first.
void EnumerateInstalledApps(Context& ctx, AppLists& lists);

}  // namespace kestrel
