#include "engine/registry_places.h"

#include "core/context.h"
#include "platform/user_hives.h"

namespace kestrel {

std::vector<RegistryPlace> RegistryPlaces(Context& ctx) {
    std::vector<RegistryPlace> places = {{"HKLM", ""}, {"HKCU", ""}};
    for (UserHive& hive : UserHives(ctx, ctx.mountedHives, false)) {
        places.push_back({std::move(hive.topKey), std::move(hive.prefix)});
    }
    return places;
}

}  // namespace kestrel
