#pragma once
// Work that this version of the program does not do yet is named in the debug log and changes
// nothing.

#include <string>

namespace kestrel {

class DebugLog;

// "Main: <what> is not available in this version."
void LogNotAvailable(DebugLog& debug, const std::string& what);

}  // namespace kestrel
