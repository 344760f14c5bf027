#pragma once
// Owners of the handles that ports hand out: an open registry key (closed through
// os::Registry) and an open process or process group (closed through os::Processes). The
// handle is closed once, when its last owner goes, however that owner leaves. Move-only.

#include <cstdint>
#include <utility>

#include "os/processes.h"
#include "os/registry.h"

namespace kestrel::os {

// Closer names the port, its handle type (0 is none) and how the port closes one.
template <class Closer>
class Owned {
public:
    using Port = typename Closer::Port;
    using Handle = typename Closer::Handle;

    explicit Owned(Port& port, Handle handle = 0) : m_port(&port), m_handle(handle) {}
    Owned(Owned&& other) noexcept : m_port(other.m_port), m_handle(other.Release()) {}
    Owned& operator=(Owned&& other) noexcept {
        if (this != &other) {
            (void)Close();
            m_port = other.m_port;
            m_handle = other.Release();
        }
        return *this;
    }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    ~Owned() { (void)Close(); }

    Handle Get() const { return m_handle; }
    bool Valid() const { return m_handle != 0; }
    // The slot that an opening call of the port fills; what was held before is closed first.
    Handle& Out() {
        (void)Close();
        return m_handle;
    }
    // Hands the handle over to the caller, who closes it.
    Handle Release() { return std::exchange(m_handle, Handle{0}); }
    // Closes the handle now: the port's answer, 0 when nothing was held.
    [[nodiscard]] uint32_t Close() {
        if (m_handle == 0) {
            return 0;
        }
        return Closer::Close(*m_port, std::exchange(m_handle, Handle{0}));
    }

private:
    Port* m_port;
    Handle m_handle;
};

struct KeyCloser {
    using Port = Registry;
    using Handle = RegKey;
    static uint32_t Close(Registry& registry, RegKey key) { return registry.CloseKey(key); }
};

struct ProcessCloser {
    using Port = Processes;
    using Handle = ProcessHandle;
    static uint32_t Close(Processes& processes, ProcessHandle handle) {
        processes.Close(handle);
        return 0;
    }
};

// An open registry key.
using OwnedKey = Owned<KeyCloser>;
// An open process or process group.
using OwnedProcess = Owned<ProcessCloser>;

}  // namespace kestrel::os
