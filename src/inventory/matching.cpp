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

// The first of the terms that is in the trimmed display name or the trimmed publisher.
template <class TermIn>
const std::string* FirstTermIn(const std::vector<std::string>& terms, std::string_view displayName,
                               std::string_view publisher, TermIn termIn) {
    const std::string_view name = TrimView(displayName);
    const std::string_view pub = TrimView(publisher);
    const auto it = std::find_if(terms.begin(), terms.end(), [&](const std::string& term) {
        return termIn(name, term) || termIn(pub, term);
    });
    return it == terms.end() ? nullptr : &*it;
}

bool TermIn(std::string_view text, std::string_view term) {
    return ContainsNoCase(text, term);
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
    return FirstTermIn(terms.enabled, displayName, publisher, TermIn) != nullptr;
}

bool MatchesDisabledDefinition(const BlacklistTerms& terms, std::string_view displayName,
                               std::string_view publisher) {
    return FirstTermIn(terms.disabled, displayName, publisher, DisabledTermIn) != nullptr;
}

std::optional<std::string> MatchingTerm(const BlacklistTerms& terms, std::string_view displayName,
                                        std::string_view publisher) {
    const std::string* term = FirstTermIn(terms.enabled, displayName, publisher, TermIn);
    return term == nullptr ? std::nullopt : std::optional<std::string>(*term);
}

std::optional<std::string> HidingTerm(const BlacklistTerms& terms, std::string_view displayName,
                                      std::string_view publisher) {
    const std::string* term = FirstTermIn(terms.disabled, displayName, publisher, DisabledTermIn);
    return term == nullptr ? std::nullopt : std::optional<std::string>(*term);
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
