#include "platform/folder_entries.h"

#include "app/context.h"
#include "platform/path_forms.h"

namespace kestrel {

uint32_t ReadFolder(Context& ctx, const std::string& folder, std::vector<os::DirEntry>& entries) {
    entries.clear();
    if (!IsAbsolutePath(folder)) {
        return 3;
    }
    if (HasWildcard(folder)) {
        return 123;
    }
    std::vector<os::DirEntry> found;
    uint32_t error = ctx.os.files.List(JoinPath(folder, "*"), found);
    if (error == 2 || error == 18) {
        // Nothing matched: an empty root has not even "." and "..".
        return 0;
    }
    if (error != 0) {
        return error;
    }
    for (os::DirEntry& e : found) {
        if (e.name != "." && e.name != "..") {
            entries.push_back(std::move(e));
        }
    }
    return 0;
}

}  // namespace kestrel
