#pragma once
// Registry leftovers: the keys, values and start-up (Run) values that the three registry
// definition lists name, removed from every hive of the machine in both registry views.

#include <string>

namespace kestrel {

class Context;

// Mounts the other profiles' hives, applies the three lists, unmounts. Nothing is mounted
// when all three lists are missing or blank. The result is that of UnLoadReg.
bool CleanRegistryLeftovers(Context& ctx);
// True when the file does not exist or holds no line that is non-blank.
bool IsDefinitionFileEmpty(Context& ctx, const std::string& path);
void DeleteRegValueDefinitions(Context& ctx);
void DeleteRegKeyDefinitions(Context& ctx);
void DeleteRunValueDefinitions(Context& ctx);

}  // namespace kestrel
