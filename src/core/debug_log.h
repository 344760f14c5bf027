#pragma once
// The debug channel (DPrint): every procedure's trace and error lines. Each value of one call
// is preceded by a TAB, so every debug line begins with a TAB. Lines go to the system debugger
// channel and, when the debug file is on, to the debug file with the time in front.

#include <exception>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>

#include "base/error_line.h"
#include "os/debug_output.h"

namespace kestrel {

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

    // Runs one step of a continue-on-error procedure: an unexpected exception is written as
    // the procedure's error line (head as for Error) and the caller goes on with its next step.
    template <class F>
    void Step(std::string_view head, F&& step) {
        try {
            step();
        } catch (const std::exception& e) {
            Error(head, ExceptionError(e));
        } catch (...) {
            Error(head, UnknownExceptionError());
        }
    }

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

// StripNameFromPath: the part before the last "\"; "" when there is none. An empty argument is
// logged.
std::string StripNameFromPath(DebugLog& log, std::string_view path);

}  // namespace kestrel
