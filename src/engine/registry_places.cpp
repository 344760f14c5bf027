#include "engine/registry_places.h"

#include "base/strings.h"
#include "core/context.h"
#include "platform/offline_hives.h"
#include "platform/registry.h"

namespace kestrel {
namespace {

// The names of a fEnumKey list (each followed by a NUL, the list closed by one more).
std::vector<std::string> ListedNames(const std::string& list) {
    std::vector<std::string> names;
    for (std::string& name : Split(list, std::string_view("\0", 1))) {
        if (!name.empty()) {
            names.push_back(std::move(name));
        }
    }
    return names;
}

}  // namespace

std::vector<RegistryPlace> RegistryPlaces(Context& ctx) {
    std::vector<RegistryPlace> places = {{"HKLM", ""}, {"HKCU", ""}};
    for (const std::string& mounted : ctx.mountedHives) {
        const std::string name = Trim(mounted);
        if (!name.empty() && IsUserHive(name)) {
            places.push_back({"HKLM", name + "\\"});
        }
    }
    std::string list;
    if (fEnumKey(ctx, "HKU", "", list) == 0) {
        for (const std::string& listed : ListedNames(list)) {
            const std::string name = Trim(listed);
            if (!name.empty() && name.find("_Classes") == std::string::npos) {
                places.push_back({"HKU", name + "\\"});
            }
        }
    }
    return places;
}

}  // namespace kestrel
