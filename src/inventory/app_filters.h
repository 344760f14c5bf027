#pragma once
// The rules that keep an installed application out of reach: Windows updates and the
// whitelist. Both the inventory scan and the uninstall engine apply them.

#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

// True when the name begins with "security update" or contains "update kb", ignoring case.
// The scan and the engine both pass the display name as read, untrimmed, so that an entry the
// scan lists is never skipped by the engine as an update (and the other way round).
bool IsWindowsUpdateName(std::string_view displayName);

// True when the line's search term (the text before its last "|", not trimmed) is not blank and
// occurs in the already trimmed display name or publisher, ignoring case.
bool LineTermNames(std::string_view line, std::string_view trimmedName,
                   std::string_view trimmedPublisher);

// True when a whitelist line protects the application: the line's search term (the text before
// its last "|", not trimmed) occurs in the trimmed display name or the trimmed publisher,
// ignoring case. Lines whose term is blank protect nothing.
bool WhitelistProtects(const std::vector<std::string>& whitelist, std::string_view displayName,
                       std::string_view publisher);
// The first whitelist line that protects the application; null when none does.
const std::string* ProtectingWhitelistLine(const std::vector<std::string>& whitelist,
                                           std::string_view displayName,
                                           std::string_view publisher);

}  // namespace kestrel
