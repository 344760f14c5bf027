#include "core/debug_log.h"

#include "base/strip.h"

namespace kestrel {

void DebugLog::Error(std::string_view head, const VbError& error,
                     std::initializer_list<std::string> details) {
    Print(std::string(head) + std::to_string(error.number) + " " + error.description);
    for (const std::string& detail : details) {
        Print(detail);
    }
}

void DebugLog::Emit(const std::string& line) {
    try {
        m_out.Write(line);
        // The file sink writes through the text-file routine, which never logs through this
        // channel; the guard keeps a faulty sink from recursing all the same.
        if (m_fileSink && !m_inSink) {
            m_inSink = true;
            m_fileSink(line);
            m_inSink = false;
        }
    } catch (...) {
        // The debug channel swallows its own errors.
        m_inSink = false;
    }
}

std::string StripNameFromPath(DebugLog& log, std::string_view path) {
    if (path.empty()) {
        log.Print("StripNameFromPath Function was passed an empty string!");
        return {};
    }
    return StripNameFromPathQuiet(path);
}

}  // namespace kestrel
