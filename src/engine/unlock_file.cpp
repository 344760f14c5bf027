#include "engine/unlock_file.h"

namespace kestrel {

// Placeholder: nothing is released yet.
bool UnlockFile(Context&, const std::string&) {
    return true;
}

std::string GetHandleFilePath(Context&, os::OwnHandle) {
    return {};
}

uint32_t GetHandleFileType(Context&, os::OwnHandle) {
    return 0;
}

bool CloseRemoteHandle(Context&, uint32_t, uint64_t) {
    return false;
}

std::string GetProcessCommandLine(Context&, uint32_t) {
    return {};
}

}  // namespace kestrel
