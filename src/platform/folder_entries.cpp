#include "platform/folder_entries.h"

#include "core/context.h"
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

int16_t CountFiles(Context& ctx, const std::string& folder, const std::string& pattern) {
    std::string dir = folder;
    if (dir.empty() || dir.back() != '\\') {
        dir += '\\';
    }
    RedirectionOff off(ctx.redirection);
    std::vector<os::DirEntry> entries;
    if (ctx.os.files.List(dir + (pattern.empty() ? "*.*" : pattern), entries) != 0) {
        return 0;
    }
    int count = 0;
    for (const os::DirEntry& e : entries) {
        if ((e.attributes & os::attr::kDirectory) == 0 && count < INT16_MAX) {
            ++count;
        }
    }
    return static_cast<int16_t>(count);
}

}  // namespace kestrel
