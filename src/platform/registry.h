#pragma once
// The registry layer (modRegistry): the one door through which the program reads, writes,
// lists and deletes registry data. A location is a top-key abbreviation ("HKLM", "HKCU",
// "HKU", "HKCR", "HKCC", "HKDD", any letter case), a key path without leading or trailing
// "\" and a name. Results are Win32 error numbers: 0 success, 2 not found, 5 access denied...;
// 99 means nothing was tried (an invalid top key). No operation throws.
//
// A top key that names an existing file (not a folder) is an INI-file target: the key path is
// a section and the name a key of that file, and the results are those of the profile
// functions (a count, or non-zero on success).
//
// The view rule: on 64-bit Windows a key path holding "Wow6432Node" addresses the 32-bit
// view (lower-cased, with every "wow6432node\" removed, unless it also holds "guest_", a
// mounted hive addressed literally), any other path the 64-bit view.

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "os/registry.h"

namespace kestrel {

class Context;

// The pseudo handle of an INI-file target.
inline constexpr os::RegKey kIniFileTarget = 1;

// A value as read or written: a text, a 32-bit integer or a Boolean.
using RegData = std::variant<std::string, int32_t, bool>;

// The predefined key of a top-key text, kIniFileTarget for an existing file, 0 for invalid.
// Long forms ("HKEY_LOCAL_MACHINE") are not top keys; they count only as file names.
os::RegKey fTopKey(Context& ctx, const std::string& topKey);

struct ViewedPath {
    std::string keyPath;
    os::RegView view = os::RegView::kDefault;
};
// The key path a read, listing or deletion uses, and its view.
ViewedPath ApplyRegistryViewRule(Context& ctx, const std::string& keyPath);

// Reads one value by type letter ("S" text, "M" multi-text as NUL-separated entries each
// followed by one NUL, "B" 2 bytes as a Boolean, "D" a 32-bit integer; other letters read
// nothing). value is set to defaultValue first and keeps it on failure. A string value is
// read as its text whether or not it was stored with its NUL; a value larger than 16 MiB is
// refused (234, logged).
[[nodiscard]] int32_t fReadValue(Context& ctx, const std::string& topKey,
                                 const std::string& keyPath, const std::string& valueName,
                                 const std::string& typeLetter, const RegData& defaultValue,
                                 RegData& value);
// The same with the value converted to the caller's type: a number as its decimal text, a
// Boolean as "True"/"False"; a text as its leading integer (0 when none), and as a Boolean
// true for "True" or a non-zero number.
[[nodiscard]] int32_t fReadValue(Context& ctx, const std::string& topKey,
                                 const std::string& keyPath, const std::string& valueName,
                                 const std::string& typeLetter, const std::string& defaultValue,
                                 std::string& value);
[[nodiscard]] int32_t fReadValue(Context& ctx, const std::string& topKey,
                                 const std::string& keyPath, const std::string& valueName,
                                 const std::string& typeLetter, int32_t defaultValue,
                                 int32_t& value);
[[nodiscard]] int32_t fReadValue(Context& ctx, const std::string& topKey,
                                 const std::string& keyPath, const std::string& valueName,
                                 const std::string& typeLetter, bool defaultValue, bool& value);

// Several "S" values of one key, read with one opening of it: values[i] is the text fReadValue
// gives for names[i] with an empty default ("" when missing or unreadable). The answer is the
// error of opening the key (99 for an invalid top key), otherwise 0.
[[nodiscard]] int32_t ReadTextValues(Context& ctx, const std::string& topKey,
                                     const std::string& keyPath,
                                     const std::vector<std::string>& names,
                                     std::vector<std::string>& values);

// The same for several subkeys of one key (an empty name is the key itself), opening that key
// once: values[k][i] is the text of names[i] in subkeys[k]; a subkey that cannot be opened
// gives empty texts. The answer is the error of opening the key, otherwise 0. The view rule
// applies to keyPath only: the subkeys are those of the key it opens, so keyPath must lie
// below any redirected key (as the Uninstall keys do).
[[nodiscard]] int32_t ReadSubkeyTextValues(Context& ctx, const std::string& topKey,
                                           const std::string& keyPath,
                                           const std::vector<std::string>& subkeys,
                                           const std::vector<std::string>& names,
                                           std::vector<std::vector<std::string>>& values);

// Writes one value by type letter ("S" REG_SZ, "E" REG_EXPAND_SZ, "M" appends one entry to a
// REG_MULTI_SZ, "D" REG_DWORD, "B" and others write nothing), creating the key. The literal
// key path is used, in the 64-bit view on 64-bit Windows. A "D" value that is not a whole
// number answers 87 (logged) and writes nothing.
[[nodiscard]] int32_t fWriteValue(Context& ctx, const std::string& topKey,
                                  const std::string& keyPath, const std::string& valueName,
                                  const std::string& typeLetter, const RegData& value);
[[nodiscard]] int32_t fWriteValue(Context& ctx, const std::string& topKey,
                                  const std::string& keyPath, const std::string& valueName,
                                  const std::string& typeLetter, const char* value);

// Appends the subkey names of the key to list, each followed by a NUL, then one more NUL (an
// empty key gives exactly two NULs). On failure a non-empty list gets one NUL and the error
// comes back (2 for a missing key).
[[nodiscard]] int32_t fEnumKey(Context& ctx, const std::string& topKey, const std::string& keyPath,
                               std::string& list);
// The same in a given view, without the view rule: the path is used as it stands.
[[nodiscard]] int32_t EnumKeyInView(Context& ctx, os::RegKey top, const std::string& topKey,
                                    const std::string& keyPath, os::RegView view,
                                    std::string& list);

// Deletes the subkey name of keyPath with its whole tree. 0 when it was deleted or was not
// there (notFound then set); otherwise the error of the last registry attempt, after
// permission repair, a second attempt, reg.exe and DelReg.exe. An empty name, or one of
// backslashes only, is refused with 87 (it would delete the parent).
[[nodiscard]] int32_t fDeleteKey(Context& ctx, const std::string& topKey,
                                 const std::string& keyPath, const std::string& name,
                                 bool& notFound);
// Deletes one value: 0 when deleted or absent (notFound then set), otherwise the error of the
// second attempt after permission repair. An INI-file target empties the entry.
[[nodiscard]] int32_t fDeleteValue(Context& ctx, const std::string& topKey,
                                   const std::string& keyPath, const std::string& valueName,
                                   bool& notFound);
// Whether a key or a value is there now, in the view the rule gives the path; nothing is
// changed or logged. A key that exists but cannot be opened counts as there; an invalid top key
// or an INI-file target as not.
bool RegistryKeyExists(Context& ctx, const std::string& topKey, const std::string& keyPath);
bool RegistryValueExists(Context& ctx, const std::string& topKey, const std::string& keyPath,
                         const std::string& valueName);
// Empties a key (every subkey, bottom-up, each granted full access first); the key itself
// stays. Failures are not reported: the caller's deletion of the key tells.
void fDeleteSubkeys(Context& ctx, os::RegKey top, const std::string& keyPath,
                    const std::string& topKey, os::RegView view);

}  // namespace kestrel
