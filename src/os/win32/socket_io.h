#pragma once
// Non-blocking socket input and output with one deadline for a whole exchange: the plain
// connection of the network port and the transport under its TLS sessions.

#include <cstdint>
#include <string>

#include "os/win32/unique_resource.h"
#include "os/win32/windows_api.h"

// After <windows.h> (lean, so without the old winsock.h).
#include <winsock2.h>

namespace kestrel::os::win32::sockets {

struct SocketTraits {
    using Handle = SOCKET;
    static Handle Invalid() { return INVALID_SOCKET; }
    static bool IsValid(Handle s) { return s != INVALID_SOCKET; }
    static void Close(Handle s) {
        shutdown(s, SD_BOTH);
        closesocket(s);
    }
};
using UniqueSocket = UniqueResource<SocketTraits>;

constexpr size_t kReadChunk = 16 * 1024;

class Deadline {
public:
    explicit Deadline(uint32_t timeoutMs) : m_end(GetTickCount64() + timeoutMs) {}
    uint32_t Left() const {
        const ULONGLONG now = GetTickCount64();
        return now >= m_end ? 0 : static_cast<uint32_t>(m_end - now);
    }

private:
    ULONGLONG m_end;
};

uint32_t LastSocketError();
// Waits until s can be written (or read); 0, kTimeout or the socket's error.
uint32_t Wait(SOCKET s, bool forWrite, const Deadline& deadline);
uint32_t SendRaw(SOCKET s, const char* data, size_t size, const Deadline& deadline);
// Appends at most limit bytes of what arrives before the deadline; kClosed at the end.
uint32_t ReceiveRaw(SOCKET s, std::string& into, size_t limit, const Deadline& deadline);

}  // namespace kestrel::os::win32::sockets
