#pragma once
// Registry leftovers: the keys, values and start-up (Run) values that the three registry
// definition lists name, removed from every hive of the machine in both registry views.

#include <string>

#include "engine/leftover_actions.h"

namespace kestrel {

class Context;

// Mounts the other profiles' hives, applies the three lists, unmounts. Nothing is mounted
// when all three lists are missing or blank. The result is that of UnLoadReg.
bool CleanRegistryLeftovers(Context& ctx);
// The same with other actions on the objects; without backups the hives are mounted without
// the backup copies of their files.
bool CleanRegistryLeftovers(Context& ctx, LeftoverActions& actions, bool backups);
// True when the file does not exist or holds no line that is non-blank.
bool IsDefinitionFileEmpty(Context& ctx, const std::string& path);
void DeleteRegValueDefinitions(Context& ctx, LeftoverActions& actions = DeletingActions());
void DeleteRegKeyDefinitions(Context& ctx, LeftoverActions& actions = DeletingActions());
void DeleteRunValueDefinitions(Context& ctx, LeftoverActions& actions = DeletingActions());

}  // namespace kestrel
