#pragma once
// What "/auto" would do on this machine now, found without changing anything: the
// applications the blacklist would uninstall (and with which command line), those that the
// whitelist or the update rule protect, the leftovers that exist now and would be deleted,
// and the definitions that are refused as dangerous.

#include <string>

namespace kestrel {

class Context;

inline constexpr const char* kPreviewFileName = "Kestrel_Preview.txt";

// The preview as text (CR LF line ends). No uninstaller starts, no guard is set, nothing is
// written to the registry or deleted; the other profiles' hives are mounted, without backup
// copies, only while their leftovers are looked for.
std::string AutoRunPreviewText(Context& ctx);

// The preview written to "Kestrel_Preview.txt" beside the program (replacing it) and to the
// debug channel, a line at a time; the text.
std::string PreviewAutoRun(Context& ctx);

}  // namespace kestrel
