#include "inventory/matching.h"

#include "app/strings.h"
#include "app/strip.h"

namespace kestrel {
namespace {

// ";" & text holds term (which starts with ";"): the rest of term begins text, or term occurs
// inside it.
bool DisabledTermIn(std::string_view text, std::string_view term) {
    return StartsWithNoCase(text, term.substr(1)) || ContainsNoCase(text, term);
}

}  // namespace

BlacklistTerms BlacklistTermsOf(const std::vector<std::string>& lines) {
    BlacklistTerms terms;
    for (const std::string& line : lines) {
        if (line.empty()) {
            continue;
        }
        std::string term = SearchTerm(line);
        const bool disabled = line[0] == ';';
        if (TrimView(std::string_view(term).substr(disabled ? 1 : 0)).empty()) {
            continue;
        }
        (disabled ? terms.disabled : terms.enabled).push_back(std::move(term));
    }
    return terms;
}

bool MatchesDefinition(const BlacklistTerms& terms, std::string_view displayName,
                       std::string_view publisher) {
    const std::string_view name = TrimView(displayName);
    const std::string_view pub = TrimView(publisher);
    for (const std::string& term : terms.enabled) {
        if (ContainsNoCase(name, term) || ContainsNoCase(pub, term)) {
            return true;
        }
    }
    return false;
}

bool MatchesDisabledDefinition(const BlacklistTerms& terms, std::string_view displayName,
                               std::string_view publisher) {
    const std::string_view name = TrimView(displayName);
    const std::string_view pub = TrimView(publisher);
    for (const std::string& term : terms.disabled) {
        if (DisabledTermIn(name, term) || DisabledTermIn(pub, term)) {
            return true;
        }
    }
    return false;
}

bool MatchesDefinition(const std::vector<std::string>& lines, std::string_view displayName,
                       std::string_view publisher) {
    return MatchesDefinition(BlacklistTermsOf(lines), displayName, publisher);
}

bool MatchesDisabledDefinition(const std::vector<std::string>& lines, std::string_view displayName,
                               std::string_view publisher) {
    return MatchesDisabledDefinition(BlacklistTermsOf(lines), displayName, publisher);
}

}  // namespace kestrel
