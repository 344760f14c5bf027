#include "engine/file_system_leftovers.h"

namespace kestrel {

// Placeholder: nothing is deleted yet.
void CleanFileSystemLeftovers(Context&) {}
void DeleteFileSystemDefinitions(Context&) {}
void DeleteStartMenuDefinitions(Context&) {}

std::string ExpandPathVariables(Context&, const std::string& text) {
    return text;
}

bool DeleteFileSystemObject(Context&, const std::string&) {
    return false;
}

bool DeletePathNow(Context&, const std::string&) {
    return false;
}

}  // namespace kestrel
