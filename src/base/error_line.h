#pragma once
// Error lines as the program words them: the run-time error a failure stands for, and the texts
// of the values that the debug channel and the error lines show.

#include <cstdint>
#include <exception>
#include <string>
#include <string_view>
#include <type_traits>

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
// The run-time error for anything else thrown (no std::exception to describe it).
VbError UnknownExceptionError();

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

}  // namespace kestrel
