#include "platform/special_folders.h"

#include "core/context.h"

namespace kestrel {

std::string GetSpecialFolderPath(Context& ctx, int csidl) {
    std::string path = ctx.os.env.SpecialFolder(csidl | kCsidlFlagCreate);
    size_t nul = path.find('\0');
    return nul == std::string::npos ? path : path.substr(0, nul);
}

}  // namespace kestrel
