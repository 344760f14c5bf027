#include "os/win32/socket_io.h"

#include "os/network.h"

namespace kestrel::os::win32::sockets {

uint32_t LastSocketError() {
    return static_cast<uint32_t>(WSAGetLastError());
}

uint32_t Wait(SOCKET s, bool forWrite, const Deadline& deadline) {
    fd_set ready;
    fd_set failed;
    FD_ZERO(&ready);
    FD_ZERO(&failed);
    FD_SET(s, &ready);
    FD_SET(s, &failed);
    const uint32_t left = deadline.Left();
    timeval tv{static_cast<long>(left / 1000), static_cast<long>((left % 1000) * 1000)};
    const int n = select(0, forWrite ? nullptr : &ready, forWrite ? &ready : nullptr, &failed, &tv);
    if (n == SOCKET_ERROR) {
        return LastSocketError();
    }
    if (n == 0) {
        return neterror::kTimeout;
    }
    if (FD_ISSET(s, &failed)) {
        int error = 0;
        int size = sizeof(error);
        getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &size);
        return error != 0 ? static_cast<uint32_t>(error) : neterror::kClosed;
    }
    return 0;
}

uint32_t SendRaw(SOCKET s, const char* data, size_t size, const Deadline& deadline) {
    while (size > 0) {
        if (const uint32_t rc = Wait(s, true, deadline); rc != 0) {
            return rc;
        }
        const int chunk = static_cast<int>(size < kReadChunk ? size : kReadChunk);
        const int sent = send(s, data, chunk, 0);
        if (sent == SOCKET_ERROR) {
            if (WSAGetLastError() == WSAEWOULDBLOCK) {
                continue;
            }
            return LastSocketError();
        }
        data += sent;
        size -= static_cast<size_t>(sent);
    }
    return 0;
}

uint32_t ReceiveRaw(SOCKET s, std::string& into, size_t limit, const Deadline& deadline) {
    char buffer[kReadChunk];
    for (;;) {
        if (const uint32_t rc = Wait(s, false, deadline); rc != 0) {
            return rc;
        }
        const int want = static_cast<int>(limit < sizeof(buffer) ? limit : sizeof(buffer));
        const int got = recv(s, buffer, want, 0);
        if (got == 0) {
            return neterror::kClosed;
        }
        if (got == SOCKET_ERROR) {
            if (WSAGetLastError() == WSAEWOULDBLOCK) {
                continue;
            }
            return LastSocketError();
        }
        into.append(buffer, static_cast<size_t>(got));
        return 0;
    }
}

}  // namespace kestrel::os::win32::sockets
