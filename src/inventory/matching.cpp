#include "inventory/matching.h"

#include "app/strings.h"
#include "app/strip.h"
#include "inventory/app_filters.h"

namespace kestrel {

bool MatchesDefinition(const std::vector<std::string>& lines, std::string_view displayName,
                       std::string_view publisher) {
    const std::string name = Trim(displayName);
    const std::string pub = Trim(publisher);
    for (const std::string& line : lines) {
        if (!line.empty() && line[0] != ';' && LineTermNames(line, name, pub)) {
            return true;
        }
    }
    return false;
}

bool MatchesDisabledDefinition(const std::vector<std::string>& lines, std::string_view displayName,
                               std::string_view publisher) {
    const std::string name = ";" + Trim(displayName);
    const std::string pub = ";" + Trim(publisher);
    for (const std::string& line : lines) {
        if (line.empty() || line[0] != ';') {
            continue;
        }
        const std::string term = SearchTerm(line);
        if (Trim(term.substr(1)).empty()) {
            continue;
        }
        if (ContainsNoCase(name, term) || ContainsNoCase(pub, term)) {
            return true;
        }
    }
    return false;
}

}  // namespace kestrel
