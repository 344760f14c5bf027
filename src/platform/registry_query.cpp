#include "core/context.h"
#include "os/errors.h"
#include "os/owned.h"
#include "platform/registry.h"

namespace kestrel {
namespace {

// The key opened for queries in the view the rule gives its path.
int32_t OpenForQuery(Context& ctx, const std::string& topKey, const std::string& keyPath,
                      os::OwnedKey& key) {
    const os::RegKey top = fTopKey(ctx, topKey);
    if (top == 0 || top == kIniFileTarget) {
        return os::error::kInvalidParameter;
    }
    const ViewedPath viewed = ApplyRegistryViewRule(ctx, keyPath);
    return static_cast<int32_t>(ctx.os.registry.OpenKey(
        top, viewed.keyPath, os::regaccess::kQueryValue, viewed.view, key.Out()));
}

}  // namespace

bool RegistryKeyExists(Context& ctx, const std::string& topKey, const std::string& keyPath) {
    const os::RegKey top = fTopKey(ctx, topKey);
    if (top == 0 || top == kIniFileTarget) {
        return false;
    }
    os::OwnedKey key(ctx.os.registry);
    return OpenForQuery(ctx, topKey, keyPath, key) != os::error::kFileNotFound;
}

bool RegistryValueExists(Context& ctx, const std::string& topKey, const std::string& keyPath,
                         const std::string& valueName) {
    os::OwnedKey key(ctx.os.registry);
    if (OpenForQuery(ctx, topKey, keyPath, key) != 0) {
        return false;
    }
    uint32_t type = 0;
    uint32_t size = 0;
    return ctx.os.registry.QueryValue(key.Get(), valueName, &type, nullptr, size) == 0;
}

}  // namespace kestrel
