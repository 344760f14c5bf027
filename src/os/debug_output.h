#pragma once
// Port: the system debugger channel (OutputDebugStringA).

#include <string_view>

namespace kestrel::os {

class DebugOutput {
public:
    virtual ~DebugOutput() = default;
    virtual void Write(std::string_view line) = 0;
};

}  // namespace kestrel::os
