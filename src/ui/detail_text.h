#pragma once
// The text that the detail window shows for one entry of the application lists.

#include <string>

namespace kestrel::ui {

// The display name, the registry subkey name and the uninstall command, one a line, joined by
// CR LF; without an uninstall command, the first two lines only.
std::string DetailText(const std::string& displayName, const std::string& subkeyName,
                       const std::string& uninstallCommand);

}  // namespace kestrel::ui
