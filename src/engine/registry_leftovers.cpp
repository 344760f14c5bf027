#include "engine/registry_leftovers.h"

#include <vector>

#include "base/strings.h"
#include "core/context.h"
#include "core/fs_redirection.h"
#include "engine/leftover_actions.h"
#include "engine/protected_registry_keys.h"
#include "engine/registry_places.h"
#include "inventory/definition_lists.h"
#include "platform/offline_hives.h"
#include "platform/registry.h"
#include "platform/special_folders.h"
#include "platform/text_file.h"
#include "platform/windows_folders.h"

namespace kestrel {
namespace {

constexpr const char* kModule = "CommonModule\\";

void DeleteKeyEverywhere(Context& ctx, LeftoverActions& actions,
                         const std::vector<RegistryPlace>& places, const KeyDefinition& key) {
    for (const RegistryPlace& place : places) {
        actions.RegistryKey(ctx, place.topKey, place.prefix + key.parent, key.name);
    }
}

void DeleteValueEverywhere(Context& ctx, LeftoverActions& actions,
                           const std::vector<RegistryPlace>& places, const KeyDefinition& value) {
    for (const RegistryPlace& place : places) {
        actions.RegistryValue(ctx, place.topKey, place.prefix + value.parent, value.name);
    }
}

// The 32-bit view's form of a definition on 64-bit Windows ("" when it has none): every
// "Software\" made "SOFTWARE\Wow6432Node\", so that the view rule sends the deletion there.
// Not normalised again, which would fold it back.
std::string Wow6432NodeForm(Context& ctx, const std::string& definition) {
    if (!Is64BitWindows(ctx.os.env) || !ContainsNoCase(definition, "Software\\")) {
        return {};
    }
    return ReplaceAllNoCase(definition, "Software\\", "SOFTWARE\\Wow6432Node\\");
}

// Runs one applier; an unexpected exception ends it with its error line.
template <class Apply>
void Guarded(Context& ctx, const char* procedure, Apply apply) {
    ctx.debug.Step(std::string(kModule) + procedure + " VB ERROR: ", apply);
}

}  // namespace

bool IsDefinitionFileEmpty(Context& ctx, const std::string& path) {
    return DefinitionEntries(ctx, path).empty();
}

void DeleteRegKeyDefinitions(Context& ctx, LeftoverActions& actions) {
    Guarded(ctx, "DeleteRegKeyDefinitions", [&] {
        const std::vector<std::string> entries = DefinitionEntries(ctx, ctx.definitions.regKeys);
        if (entries.empty()) {
            return;
        }
        const std::vector<RegistryPlace> places = RegistryPlaces(ctx);
        for (const std::string& entry : entries) {
            const std::string normalised = NormaliseKeyPath(entry);
            const std::string wow = Wow6432NodeForm(ctx, normalised);
            if (IsRefusedKeyDefinition(normalised) ||
                (!wow.empty() && IsRefusedKeyDefinition(wow))) {
                actions.RefusedDefinition(ctx, "DeleteRegKeyDefinitions", "a vital registry key",
                                          entry);
                continue;
            }
            DeleteKeyEverywhere(ctx, actions, places, SplitAtLastBackslash(normalised));
            if (!wow.empty()) {
                DeleteKeyEverywhere(ctx, actions, places, SplitAtLastBackslash(wow));
            }
        }
    });
}

void DeleteRegValueDefinitions(Context& ctx, LeftoverActions& actions) {
    Guarded(ctx, "DeleteRegValueDefinitions", [&] {
        const std::vector<std::string> entries = DefinitionEntries(ctx, ctx.definitions.regValues);
        if (entries.empty()) {
            return;
        }
        const std::vector<RegistryPlace> places = RegistryPlaces(ctx);
        for (const std::string& entry : entries) {
            const KeyDefinition value = SplitValueDefinition(entry);
            if (value.parent.empty()) {
                actions.RefusedDefinition(ctx, "DeleteRegValueDefinitions", "no key below the hive",
                                          entry);
                continue;
            }
            DeleteValueEverywhere(ctx, actions, places, value);
            // The value's key in the 32-bit view; the value name is left as written.
            std::string wow = Wow6432NodeForm(ctx, value.parent + "\\");
            if (!wow.empty()) {
                wow.pop_back();
                DeleteValueEverywhere(ctx, actions, places, {wow, value.name});
            }
        }
    });
}

void DeleteRunValueDefinitions(Context& ctx, LeftoverActions& actions) {
    Guarded(ctx, "DeleteRunValueDefinitions", [&] {
        const std::vector<std::string> entries = DefinitionEntries(ctx, ctx.definitions.runValues);
        if (entries.empty()) {
            return;
        }
        const std::vector<RegistryPlace> places = RegistryPlaces(ctx);
        for (const std::string& entry : entries) {
            for (const RegistryPlace& place : places) {
                for (const char* runKey : kRunKeys) {
                    actions.RegistryValue(ctx, place.topKey, place.prefix + runKey, entry);
                }
            }
        }
    });
}

bool CleanRegistryLeftovers(Context& ctx) {
    return CleanRegistryLeftovers(ctx, DeletingActions(), true);
}

bool CleanRegistryLeftovers(Context& ctx, LeftoverActions& actions, bool backups) {
    ctx.systemDrive = GetSpecialFolderPath(ctx, kCsidlWindows).substr(0, 2);
    GetUserList(ctx, false);
    // Unattended runs must not stop at a question: a hive left mounted is logged by UnLoadReg.
    bool ask = false;
    const DefinitionPaths& defs = ctx.definitions;
    if (IsDefinitionFileEmpty(ctx, defs.regValues) && IsDefinitionFileEmpty(ctx, defs.regKeys) &&
        IsDefinitionFileEmpty(ctx, defs.runValues)) {
        // Nothing to mount for; hives that a killed run left mounted still go.
        return AreGuestHivesLoaded(ctx) ? UnLoadReg(ctx, ask) : true;
    }
    // Whatever happens once the hives are mounted, they are unmounted again.
    MountedHiveSet hives(ctx, ctx.systemDrive, backups);
    Guarded(ctx, "CleanRegistryLeftovers", [&] {
        DeleteRegValueDefinitions(ctx, actions);
        DeleteRegKeyDefinitions(ctx, actions);
        DeleteRunValueDefinitions(ctx, actions);
    });
    return hives.Release(ask);
}

}  // namespace kestrel
