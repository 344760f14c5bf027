#include "inventory/app_filters.h"

#include "app/strings.h"
#include "app/strip.h"

namespace kestrel {

bool IsWindowsUpdateName(std::string_view displayName) {
    return StartsWithNoCase(displayName, "security update") ||
           ContainsNoCase(displayName, "update kb");
}

bool WhitelistProtects(const std::vector<std::string>& whitelist, std::string_view displayName,
                       std::string_view publisher) {
    const std::string name = Trim(displayName);
    const std::string pub = Trim(publisher);
    for (const std::string& line : whitelist) {
        const std::string term = SearchTerm(line);
        if (Trim(term).empty()) {
            continue;
        }
        if (ContainsNoCase(name, term) || ContainsNoCase(pub, term)) {
            return true;
        }
    }
    return false;
}

}  // namespace kestrel
