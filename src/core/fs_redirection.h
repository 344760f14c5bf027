#pragma once
// File-system redirection switching (DisableFSRedir / RevertFSRedir). Pairs nest: only the
// outermost Disable switches, and the first Revert switches back.

#include <cstdint>

#include "os/environment.h"
#include "os/wow64.h"

namespace kestrel {

// Windows is 64-bit when "ProgramFiles(x86)" is at least 2 characters long.
bool Is64BitWindows(const os::Environment& env);

class FsRedirection {
public:
    FsRedirection(os::Wow64Redirection& wow64, const os::Environment& env)
        : m_wow64(wow64), m_env(env) {}

    // The program start switches the control on; until then both calls only track the flag.
    void SetAllowed(bool allowed) { m_allowed = allowed; }
    bool Allowed() const { return m_allowed; }
    bool IsOff() const { return m_off; }

    void Disable();
    void Revert();

private:
    os::Wow64Redirection& m_wow64;
    const os::Environment& m_env;
    bool m_allowed = false;
    bool m_off = false;
    uintptr_t m_saved = 0;
};

// Redirection off for the lifetime of the object (a nested one does nothing).
class RedirectionOff {
public:
    explicit RedirectionOff(FsRedirection& r) : m_r(r), m_switched(!r.IsOff()) {
        if (m_switched) {
            m_r.Disable();
        }
    }
    ~RedirectionOff() {
        if (m_switched) {
            m_r.Revert();
        }
    }
    RedirectionOff(const RedirectionOff&) = delete;
    RedirectionOff& operator=(const RedirectionOff&) = delete;

private:
    FsRedirection& m_r;
    bool m_switched;
};

}  // namespace kestrel
