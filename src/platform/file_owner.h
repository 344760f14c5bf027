#pragma once
// Setting the owner of a file through the Windows security functions, with the privilege
// switching that needs (SetOwnerFS). Outcomes are logged, not returned.

#include <string>

namespace kestrel {

class Context;

// Makes the current user (the "username" variable, handed back in ownerName whatever was
// passed) the owner of the file or folder, with SeRestorePrivilege enabled for the change and
// disabled again afterwards.
void ChangeOwnerOfFile(Context& ctx, const std::string& path, std::string& ownerName);

// Enables or disables one privilege of the program's own token. True only when the token
// holds it and the change was made.
bool Enable_Privilege(Context& ctx, const std::string& privilege);
bool Disable_Privilege(Context& ctx, const std::string& privilege);
bool ModifyState(Context& ctx, const std::string& privilege, bool enable);

}  // namespace kestrel
