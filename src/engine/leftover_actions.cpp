#include "engine/leftover_actions.h"

#include "base/error_line.h"
#include "core/context.h"
#include "engine/file_system_leftovers.h"
#include "platform/registry.h"

namespace kestrel {
namespace {

// The cleanups' own actions. Every deletion of an applier goes on whatever the one before it
// did.
class Deleting : public LeftoverActions {
public:
    void FileSystemObject(Context& ctx, const std::string& path,
                          const ProtectedPaths& guard) override {
        try {
            (void)DeleteFileSystemObject(ctx, path, guard);
        } catch (const std::exception& e) {
            ctx.debug.Error("DeleteFileSystemObject VB ERROR: ", ExceptionError(e),
                            {"\t- Path=" + path});
        }
    }
    void RegistryKey(Context& ctx, const std::string& topKey, const std::string& parent,
                     const std::string& name) override {
        bool notFound = false;
        (void)fDeleteKey(ctx, topKey, parent, name, notFound);
    }
    void RegistryValue(Context& ctx, const std::string& topKey, const std::string& keyPath,
                       const std::string& name) override {
        bool notFound = false;
        (void)fDeleteValue(ctx, topKey, keyPath, name, notFound);
    }
    void RefusedDefinition(Context& ctx, const std::string& procedure, const std::string& why,
                           const std::string& entry) override {
        ctx.debug.Print("CommonModule\\" + procedure + ":  Refused, " + why + ":  " + entry);
    }
};

}  // namespace

LeftoverActions& DeletingActions() {
    static Deleting deleting;
    return deleting;
}

}  // namespace kestrel
