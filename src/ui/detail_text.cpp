#include "ui/detail_text.h"

namespace kestrel::ui {

std::string DetailText(const std::string& displayName, const std::string& subkeyName,
                       const std::string& uninstallCommand) {
    std::string text = displayName + "\r\n" + subkeyName;
    if (!uninstallCommand.empty()) {
        text += "\r\n" + uninstallCommand;
    }
    return text;
}

}  // namespace kestrel::ui
