#include "net/smtp_client.h"

namespace kestrel {

// Placeholder: nothing is sent yet.
bool SendThroughSmtp(Context&, const SmtpJob&, std::string& why) {
    why = "not available in this version";
    return false;
}

}  // namespace kestrel
