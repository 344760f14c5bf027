#pragma once
// Placing an application against the blacklist.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

// The search terms of a blacklist's lines, taken once for placing many applications.
struct BlacklistTerms {
    std::vector<std::string> enabled;   // terms of enabled lines; blank terms left out
    std::vector<std::string> disabled;  // terms of ";" lines, ";" kept; blank ones left out
};
BlacklistTerms BlacklistTermsOf(const std::vector<std::string>& lines);

// True at the first enabled blacklist line whose search term (the text before its last "|",
// not trimmed) occurs in the trimmed display name or the trimmed publisher, ignoring case.
// Lines that are empty or start with ";" are skipped, and so are lines whose term is blank:
// an empty term would match every application.
bool MatchesDefinition(const std::vector<std::string>& lines, std::string_view displayName,
                       std::string_view publisher);
bool MatchesDefinition(const BlacklistTerms& terms, std::string_view displayName,
                       std::string_view publisher);

// True when a disabled line (";X") hides the application: its term, ";" included, occurs in
// ";" & the trimmed display name or ";" & the trimmed publisher, ignoring case, so that X
// begins the name or the publisher. A disabled line with nothing but blanks after its ";"
// hides nothing.
bool MatchesDisabledDefinition(const std::vector<std::string>& lines, std::string_view displayName,
                               std::string_view publisher);
bool MatchesDisabledDefinition(const BlacklistTerms& terms, std::string_view displayName,
                               std::string_view publisher);

// The term that MatchesDefinition (enabled) or MatchesDisabledDefinition (disabled, ";"
// included) finds first; nothing when none.
std::optional<std::string> MatchingTerm(const BlacklistTerms& terms, std::string_view displayName,
                                        std::string_view publisher);
std::optional<std::string> HidingTerm(const BlacklistTerms& terms, std::string_view displayName,
                                      std::string_view publisher);

}  // namespace kestrel
