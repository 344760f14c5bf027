#include "net/email_settings.h"

namespace kestrel {

// Placeholder: nothing is configured yet.
bool LoadEmailSettings(Context&) {
    return false;
}

void SaveEmailSettings(Context&, const EmailPage&) {}

}  // namespace kestrel
