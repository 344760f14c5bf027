#pragma once
// Pieces the registry layer's files share.

#include <string>

#include "os/registry.h"
#include "platform/registry.h"

namespace kestrel {

class Context;

// One top key: its abbreviation, its predefined key and its long name.
struct TopKeyName {
    const char* abbreviation;  // "HKLM"
    os::RegKey key;
    const char* longName;  // "HKEY_LOCAL_MACHINE"
};
// The top key an abbreviation names, compared after upper-casing; nullptr for any other text.
const TopKeyName* FindTopKey(const std::string& text);

// parent & "\" & name, without a leading "\" when parent is empty (the top key itself).
std::string JoinKeyPath(const std::string& parent, const std::string& name);

// The view fWriteValue writes in: the 64-bit one on 64-bit Windows.
os::RegView WriteView(Context& ctx);

// A value as text: a number in decimals, a Boolean as "True"/"False".
std::string RegDataText(const RegData& data);

// The text with every NUL shown as "|", as log lines show lists.
std::string NulsAsBars(const std::string& text);

}  // namespace kestrel
