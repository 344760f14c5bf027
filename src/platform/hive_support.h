#pragma once
// The pieces the offline hives are built from: the token privileges that mounting needs and
// the list of mounted "guest_" keys.

#include <string>
#include <vector>

namespace kestrel {

class Context;

// Enables SeRestorePrivilege and SeBackupPrivilege (on), or disables just those two (off).
// Failures are logged by the call that failed and do not stop the caller.
void SetHivePrivileges(Context& ctx, bool on);

// The subkeys of HKLM whose names begin with "guest_" (any letter case), as listed.
std::vector<std::string> ListGuestKeys(Context& ctx);

}  // namespace kestrel
