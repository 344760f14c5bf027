#include "inventory/app_filters.h"

#include "base/strings.h"
#include "base/strip.h"

namespace kestrel {

bool IsWindowsUpdateName(std::string_view displayName) {
    return StartsWithNoCase(displayName, "security update") ||
           ContainsNoCase(displayName, "update kb");
}

bool LineTermNames(std::string_view line, std::string_view trimmedName,
                   std::string_view trimmedPublisher) {
    const std::string term = SearchTerm(line);
    return !TrimView(term).empty() &&
           (ContainsNoCase(trimmedName, term) || ContainsNoCase(trimmedPublisher, term));
}

const std::string* ProtectingWhitelistLine(const std::vector<std::string>& whitelist,
                                           std::string_view displayName,
                                           std::string_view publisher) {
    const std::string_view name = TrimView(displayName);
    const std::string_view pub = TrimView(publisher);
    for (const std::string& line : whitelist) {
        if (LineTermNames(line, name, pub)) {
            return &line;
        }
    }
    return nullptr;
}

bool WhitelistProtects(const std::vector<std::string>& whitelist, std::string_view displayName,
                       std::string_view publisher) {
    return ProtectingWhitelistLine(whitelist, displayName, publisher) != nullptr;
}

}  // namespace kestrel
