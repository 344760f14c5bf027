#include "net/send_email.h"

namespace kestrel {

// Placeholder: nothing is sent yet.
bool SendEmail(Context&, const std::string&, const std::string&, bool) {
    return false;
}

bool SendEmailNow(Context&, const std::string&, const std::string&, const std::string&,
                  const std::string&) {
    return false;
}

}  // namespace kestrel
