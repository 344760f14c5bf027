#pragma once
// Registry definitions in the form the leftover cleanup deletes them, and the vital keys it
// never deletes whatever a definition says.

#include <string>
#include <string_view>

namespace kestrel {

// Blanks (spaces and tabs) trimmed, every "\Wow6432Node\" (any letter case) folded into one
// "\", then no leading, trailing or doubled "\" left. "" when nothing is left.
std::string NormaliseKeyPath(std::string_view path);

// Where a definition's key or value is: the parent key path (never empty, never beginning
// with "\") and the name after the last "\". A definition without "\" is both.
struct KeyDefinition {
    std::string parent;
    std::string name;
};
// A path split at its last "\" as it stands.
KeyDefinition SplitAtLastBackslash(std::string_view path);
// A key definition, normalised first; parent and name empty when nothing is left.
KeyDefinition SplitKeyDefinition(std::string_view entry);
// A value definition: as for keys, except that the name stays as written after the last "\"
// (empty: the key's default value). Parent and name empty when no key is left.
KeyDefinition SplitValueDefinition(std::string_view entry);

// True when deleting the key path (below a hive root, in either registry view) would delete
// a vital key: the path normalises to nothing, or equals or holds a vital key
// ("Software\Microsoft", "System\CurrentControlSet", the Run and Uninstall keys...).
bool HoldsVitalRegistryKey(std::string_view keyPath);
// True when a key definition must not be deleted: as written, or as the key it deletes
// (parent + "\" + name), it holds a vital key, or that key would be a top-level key.
bool IsRefusedKeyDefinition(std::string_view entry);

}  // namespace kestrel
