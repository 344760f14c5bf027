#pragma once
// What the leftover cleanups do with each object their lists name. The cleanups decide which
// objects those are (the expansion of the lists, every profile, hive and view, and the
// refusals); the actions delete them, or, for a preview, note the ones that exist now.

#include <string>

namespace kestrel {

class Context;
class ProtectedPaths;

class LeftoverActions {
public:
    virtual ~LeftoverActions() = default;
    // A file or folder, refused when guard protects it.
    virtual void FileSystemObject(Context& ctx, const std::string& path,
                                  const ProtectedPaths& guard) = 0;
    // The key name below parent, with its whole tree.
    virtual void RegistryKey(Context& ctx, const std::string& topKey, const std::string& parent,
                             const std::string& name) = 0;
    virtual void RegistryValue(Context& ctx, const std::string& topKey, const std::string& keyPath,
                               const std::string& name) = 0;
    // A definition that names something vital, or nothing: procedure names the list's applier.
    virtual void RefusedDefinition(Context& ctx, const std::string& procedure,
                                   const std::string& why, const std::string& entry) = 0;
};

// The actions of the cleanups themselves: every object is deleted (DeleteFileSystemObject,
// fDeleteKey, fDeleteValue) and every refusal goes to the debug channel.
LeftoverActions& DeletingActions();

}  // namespace kestrel
