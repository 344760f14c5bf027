#pragma once
// Closing a program by the title of its top-level window.

#include <string>

namespace kestrel {

class Context;

// Ends the process that owns the top-level window with this title; nothing when there is none.
void KillWindow(Context& ctx, const std::string& sWindowName);

}  // namespace kestrel
