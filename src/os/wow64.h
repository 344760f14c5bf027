#pragma once
// Port: WOW64 file-system redirection of a 32-bit process on 64-bit Windows. In a 64-bit
// build there is nothing to switch and both calls answer false.

#include <cstdint>

namespace kestrel::os {

class Wow64Redirection {
public:
    virtual ~Wow64Redirection() = default;
    // Wow64DisableWow64FsRedirection; the value to give back to Revert goes to *saved.
    [[nodiscard]] virtual bool Disable(uintptr_t* saved) = 0;
    // Wow64RevertWow64FsRedirection.
    [[nodiscard]] virtual bool Revert(uintptr_t saved) = 0;
};

}  // namespace kestrel::os
