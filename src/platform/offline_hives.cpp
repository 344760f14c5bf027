#include "platform/offline_hives.h"

#include "base/strings.h"
#include "core/context.h"

namespace kestrel {

// Placeholder: nothing is mounted yet.
void LoadReg(Context& ctx, const std::string&) {
    ctx.mountedHives.clear();
    ctx.hivesLoaded = true;
}

void LoadHive(Context&, const std::string&, const std::string&) {}

bool UnLoadReg(Context& ctx, bool&) {
    ctx.mountedHives.clear();
    ctx.hivesLoaded = false;
    return true;
}

bool IsUserHive(const std::string& mountedName) {
    const std::string name = LCase(mountedName);
    for (const char* system :
         {"guest_system", "guest_localservice", "guest_networkservice", "guest_software"}) {
        if (name == system) {
            return false;
        }
    }
    return true;
}

bool AreGuestHivesLoaded(Context&) {
    return false;
}

}  // namespace kestrel
