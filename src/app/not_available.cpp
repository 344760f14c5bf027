#include "app/not_available.h"

#include "core/debug_log.h"

namespace kestrel {

void LogNotAvailable(DebugLog& debug, const std::string& what) {
    debug.Print("Main: " + what + " is not available in this version.");
}

}  // namespace kestrel
