#pragma once
// Taking over protected keys, files and folders (SetPerm): direct edits of a key's access
// list, and runs of Microsoft's subinacl.exe that set the owner and grant full control.
// Nothing here fails loudly: a missing key, an unknown top key, a path that is neither file
// nor folder or a missing subinacl.exe make the operation do nothing.

#include <cstdint>
#include <string>

#include "os/registry.h"

namespace kestrel {

class Context;

// SetKeyAccess with rights "ALL" and "Allow" for the current user, "System",
// "Administrators", "Power Users" and "Users", each on its own. The key path is taken
// through the registry view rule.
void GrantKeyFullAccess(Context& ctx, const std::string& topKey, const std::string& keyPath);
// The same for a key path already in its final form, in the given view.
void GrantKeyFullAccess(Context& ctx, const std::string& topKey, const std::string& keyPath,
                        os::RegView view);

// Gives trustee (empty: the current user) an allow entry ("Allow", also for empty) or a deny
// entry (exactly "Deny") with the rights ("R"/"Read", "W"/"Write", "X"/"Execute", anything
// else full access), inherited by subkeys, in place of the trustee's own explicit entries.
// Top keys: those of the top-key table (fTopKey); others are refused. True when the new
// access list was stored. The defaults filled in are handed back.
[[nodiscard]] bool SetKeyAccess(Context& ctx, const std::string& topKey, const std::string& keyPath,
                                std::string& trustee, std::string& allowOrDeny,
                                const std::string& rights);
[[nodiscard]] bool SetKeyAccess(Context& ctx, const std::string& topKey, const std::string& keyPath,
                                os::RegView view, std::string& trustee, std::string& allowOrDeny,
                                const std::string& rights);

// The access mask of a rights text (compared exactly).
uint32_t KeyRightsMask(const std::string& rights);

// Runs subinacl.exe on the key and on its subkeys: owner (empty: "administrators", for HKCU
// the current user) and full control for grantee (empty: the current user, or "System").
void TakeControlOfKey(Context& ctx, const std::string& topKey, const std::string& keyPath,
                      std::string& owner, std::string& grantee);

// Runs subinacl.exe on a file, or on a folder and (with subfolders) everything below it,
// with the caller's window style. A file clears subfolders. Empty owner: the current user,
// or "System" when running as SYSTEM; empty grantee: the owner, or "Everyone" for "System".
void TakeControl(Context& ctx, const std::string& path, bool& subfolders, uint16_t windowStyle,
                 std::string& owner, std::string& grantee);

// The subinacl.exe to run: the last existing of %systemroot%\subinacl.exe,
// %systemroot%\System32\subinacl.exe, AppPath\subinacl.exe and (for files)
// AppPath\..\3rd Party Tools\subinacl.exe; "" when none exists.
std::string FindSubinacl(Context& ctx, bool forFiles);

}  // namespace kestrel
