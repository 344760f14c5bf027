#include "engine/registry_leftovers.h"

namespace kestrel {

// Placeholder: nothing is removed yet.
bool CleanRegistryLeftovers(Context&) {
    return true;
}

bool IsDefinitionFileEmpty(Context&, const std::string&) {
    return true;
}

void DeleteRegValueDefinitions(Context&) {}
void DeleteRegKeyDefinitions(Context&) {}
void DeleteRunValueDefinitions(Context&) {}

}  // namespace kestrel
