#pragma once
// Sending one message built from the e-mail settings, with the outcome messages.

#include <string>

namespace kestrel {

class Context;

// Loads the settings and sends; a program started with a command line is always quiet (no
// message box). True when the message was sent.
[[nodiscard]] bool SendEmail(Context& ctx, const std::string& sSubject, const std::string& sBody,
                             bool bQuiet);
// Builds the message (the body, an empty line and the "This message sent by" footer) and
// sends it with ctx.email. True when no step failed.
[[nodiscard]] bool SendEmailNow(Context& ctx, const std::string& sFrom, const std::string& sTo,
                                const std::string& sSubject, const std::string& sBody);
// The text a message carries: the body, an empty line and "This message sent by  -  " with
// the program's version.
std::string MailBodyWithFooter(Context& ctx, const std::string& sBody);

}  // namespace kestrel
