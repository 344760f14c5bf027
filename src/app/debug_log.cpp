#include "app/debug_log.h"

#include <exception>
#include <new>

namespace kestrel {

VbError FileError(uint32_t win32Error) {
    switch (win32Error) {
        case 2:
            return {53, "File not found"};
        case 3:
            return {76, "Path not found"};
        case 5:
        case 32:
        case 33:
            return {70, "Permission denied"};
        case 15:
        case 21:
            return {71, "Disk not ready"};
        case 39:
        case 112:
            return {61, "Disk full"};
        case 80:
        case 183:
            return {58, "File already exists"};
        case 4:
            return {67, "Too many files"};
        case 123:
        case 161:
        case 206:
            return {52, "Bad file name or number"};
        default:
            return {75, "Path/File access error"};
    }
}

VbError ExceptionError(const std::exception& e) {
    if (dynamic_cast<const std::bad_alloc*>(&e) != nullptr) {
        return {7, "Out of memory"};
    }
    return {5, std::string("Invalid procedure call or argument (") + e.what() + ")"};
}

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

}  // namespace kestrel
