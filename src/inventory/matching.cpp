#include "inventory/matching.h"

#include <algorithm>

#include "base/strings.h"
#include "base/strip.h"

namespace kestrel {
namespace {

// ";" & text holds term (which starts with ";"): the rest of term begins text, or term occurs
// inside it.
bool DisabledTermIn(std::string_view text, std::string_view term) {
    return StartsWithNoCase(text, term.substr(1)) || ContainsNoCase(text, term);
}

// One of the terms is in the trimmed display name or the trimmed publisher.
template <class TermIn>
bool AnyTermIn(const std::vector<std::string>& terms, std::string_view displayName,
               std::string_view publisher, TermIn termIn) {
    const std::string_view name = TrimView(displayName);
    const std::string_view pub = TrimView(publisher);
    return std::any_of(terms.begin(), terms.end(), [&](const std::string& term) {
        return termIn(name, term) || termIn(pub, term);
    });
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
    return AnyTermIn(
        terms.enabled, displayName, publisher,
        [](std::string_view text, std::string_view term) { return ContainsNoCase(text, term); });
}

bool MatchesDisabledDefinition(const BlacklistTerms& terms, std::string_view displayName,
                               std::string_view publisher) {
    return AnyTermIn(terms.disabled, displayName, publisher, DisabledTermIn);
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
