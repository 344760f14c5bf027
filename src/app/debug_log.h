#pragma once
// The debug channel (DPrint): every procedure's trace and error lines. Each value of one call
// is preceded by a TAB, so every debug line begins with a TAB. Lines go to the system debugger
// channel and, when the debug file is on, to the debug file with the time in front.

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <type_traits>

#include "os/debug_output.h"

namespace kestrel {

// A run-time error as the program reports it: the number and text a VB run-time error has.
struct VbError {
    int number = 0;
    std::string description;
};

// The run-time error that a failed file operation with this Win32 error raises.
VbError FileError(uint32_t win32Error);
// The run-time error for an unexpected C++ exception caught at a procedure's boundary.
VbError ExceptionError(const std::exception& e);

inline std::string ToText(std::string_view s) {
    return std::string(s);
}
inline std::string ToText(const char* s) {
    return s ? std::string(s) : std::string();
}
inline std::string ToText(const std::string& s) {
    return s;
}
inline std::string ToText(bool b) {
    return b ? "True" : "False";
}
template <class T>
requires std::is_arithmetic_v<T> &&(!std::is_same_v<T, bool>)std::string ToText(T value) {
    return std::to_string(value);
}

class DebugLog {
public:
    explicit DebugLog(os::DebugOutput& out) : m_out(out) {}

    // DPrint: one line of the given values, each preceded by a TAB.
    template <class... T>
    void Print(const T&... values) {
        std::string line;
        ((line += '\t', line += ToText(values)), ...);
        Emit(line);
    }

    // The error line of a procedure: head (module, "\", procedure and " VB ERROR: " or
    // " - VB ERROR: ") & number & " " & description, then one line per detail text.
    void Error(std::string_view head, const VbError& error,
               std::initializer_list<std::string> details = {});

    // Where debug lines also go when the debug file is on (time & line per call).
    void SetFileSink(std::function<void(const std::string& line)> sink) {
        m_fileSink = std::move(sink);
    }

private:
    void Emit(const std::string& line);

    os::DebugOutput& m_out;
    std::function<void(const std::string&)> m_fileSink;
    bool m_inSink = false;
};

}  // namespace kestrel
