#pragma once
// Whether the program runs as the SYSTEM account.

namespace kestrel {

class Context;

// True when "username" equals "computername" & "$" (the SYSTEM account's name), when
// "systemdrive" is "x:" (a Windows PE environment, whatever the user), or when "username" is
// empty. Names are compared without regard to case, as Windows compares account names. With
// showMessage, a true answer is also told to the user in a message box.
bool IsRunningAsSystem(Context& ctx, bool showMessage = false);

}  // namespace kestrel
