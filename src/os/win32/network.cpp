#include "os/network.h"

#include <map>
#include <memory>
#include <mutex>

#include "os/win32/socket_io.h"
#include "os/win32/tls_session.h"
#include "os/win32/win32_ports.h"

// After <windows.h> (lean, so without the old winsock.h).
#include <winsock2.h>
#include <ws2tcpip.h>

namespace kestrel::os::win32 {
namespace {

using sockets::Deadline;
using sockets::LastSocketError;
using sockets::ReceiveRaw;
using sockets::SendRaw;
using sockets::UniqueSocket;

struct Link {
    UniqueSocket socket;
    bool tls = false;
    tls::Session session;
};

class Win32Network : public Network {
public:
    Win32Network() {
        WSADATA data;
        m_started = WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }
    ~Win32Network() override {
        m_links.clear();
        if (m_started) {
            WSACleanup();
        }
    }

    uint32_t Connect(const std::string& host, const std::string& port, uint32_t timeoutMs,
                     Connection& connection) override {
        connection = 0;
        const Deadline deadline(timeoutMs);
        addrinfo hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        hints.ai_protocol = IPPROTO_TCP;
        addrinfo* found = nullptr;
        if (const int rc = getaddrinfo(host.c_str(), port.c_str(), &hints, &found); rc != 0) {
            return static_cast<uint32_t>(rc);
        }
        uint32_t result = neterror::kUnknownHost;
        UniqueSocket socket;
        for (addrinfo* at = found; at != nullptr; at = at->ai_next) {
            result = ConnectOne(*at, deadline, socket);
            if (result == 0 || result == neterror::kTimeout) {
                break;
            }
        }
        freeaddrinfo(found);
        if (result != 0) {
            return result;
        }
        auto link = std::make_unique<Link>();
        link->socket = std::move(socket);
        std::lock_guard lock(m_mutex);
        connection = ++m_last;
        m_links.emplace(connection, std::move(link));
        return 0;
    }

    uint32_t StartTls(Connection connection, const std::string& hostName, uint32_t timeoutMs,
                      std::string& why) override {
        why.clear();
        Link* link = Find(connection);
        if (link == nullptr || link->tls) {
            why = "no open connection";
            return ERROR_INVALID_HANDLE;
        }
        const uint32_t rc =
            tls::Handshake(link->socket.Get(), link->session, hostName, Deadline(timeoutMs), why);
        if (rc == 0) {
            link->tls = true;
        }
        if (rc != 0) {
            Close(connection);
        }
        return rc;
    }

    uint32_t Send(Connection connection, const std::string& bytes, uint32_t timeoutMs) override {
        Link* link = Find(connection);
        if (link == nullptr) {
            return ERROR_INVALID_HANDLE;
        }
        const Deadline deadline(timeoutMs);
        if (!link->tls) {
            return SendRaw(link->socket.Get(), bytes.data(), bytes.size(), deadline);
        }
        return tls::Send(link->socket.Get(), link->session, bytes, deadline);
    }

    uint32_t Receive(Connection connection, std::string& bytes, uint32_t timeoutMs) override {
        Link* link = Find(connection);
        if (link == nullptr) {
            return ERROR_INVALID_HANDLE;
        }
        const Deadline deadline(timeoutMs);
        if (!link->tls) {
            return ReceiveRaw(link->socket.Get(), bytes, sockets::kReadChunk, deadline);
        }
        return tls::Receive(link->socket.Get(), link->session, bytes, deadline);
    }

    void Close(Connection connection) override {
        std::unique_ptr<Link> link;
        {
            std::lock_guard lock(m_mutex);
            auto it = m_links.find(connection);
            if (it == m_links.end()) {
                return;
            }
            link = std::move(it->second);
            m_links.erase(it);
        }
        // The socket closes first, then the context and the credentials.
        link->socket.Reset();
    }

private:
    static uint32_t ConnectOne(const addrinfo& address, const Deadline& deadline,
                               UniqueSocket& socket) {
        socket.Reset(::socket(address.ai_family, address.ai_socktype, address.ai_protocol));
        if (!socket.Valid()) {
            return LastSocketError();
        }
        u_long nonBlocking = 1;
        if (ioctlsocket(socket.Get(), FIONBIO, &nonBlocking) != 0) {
            return LastSocketError();
        }
        if (connect(socket.Get(), address.ai_addr, static_cast<int>(address.ai_addrlen)) == 0) {
            return 0;
        }
        if (WSAGetLastError() != WSAEWOULDBLOCK) {
            return LastSocketError();
        }
        const uint32_t rc = sockets::Wait(socket.Get(), true, deadline);
        if (rc != 0) {
            socket.Reset();
        }
        return rc;
    }

    Link* Find(Connection connection) {
        std::lock_guard lock(m_mutex);
        auto it = m_links.find(connection);
        return it == m_links.end() ? nullptr : it->second.get();
    }

    bool m_started = false;
    std::mutex m_mutex;
    std::map<Connection, std::unique_ptr<Link>> m_links;
    Connection m_last = 0;
};

}  // namespace

std::unique_ptr<Network> MakeNetwork() {
    return std::make_unique<Win32Network>();
}

}  // namespace kestrel::os::win32
