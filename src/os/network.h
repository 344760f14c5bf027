#pragma once
// Port: TCP connections to a server and TLS on them (Winsock and Schannel), at the level the
// mail client needs. Results are Win32/Winsock error numbers: 0 success, 10060 time-out,
// 10061 refused, 11001 unknown host, 10054/10053 closed by the other side; TLS failures give
// the SEC_E_/CERT_E_ value and a readable reason.

#include <cstdint>
#include <string>

namespace kestrel::os {

// An open connection; 0 is none.
using Connection = uint64_t;

namespace neterror {
inline constexpr uint32_t kTimeout = 10060;      // WSAETIMEDOUT
inline constexpr uint32_t kRefused = 10061;      // WSAECONNREFUSED
inline constexpr uint32_t kUnknownHost = 11001;  // WSAHOST_NOT_FOUND
inline constexpr uint32_t kClosed = 10054;       // WSAECONNRESET; also an orderly close
inline constexpr uint32_t kNotSupported = 50;    // ERROR_NOT_SUPPORTED
}  // namespace neterror

class Network {
public:
    virtual ~Network() = default;

    // Resolves host and connects to port (a text such as "25"), giving up after timeoutMs.
    [[nodiscard]] virtual uint32_t Connect(const std::string& host, const std::string& port,
                                           uint32_t timeoutMs, Connection& connection) = 0;
    // Runs the TLS handshake as the client on the open connection and checks the server's
    // certificate chain against the system's trusted roots and its name against hostName;
    // from then on Send and Receive are encrypted. On failure why says what was wrong.
    [[nodiscard]] virtual uint32_t StartTls(Connection connection, const std::string& hostName,
                                            uint32_t timeoutMs, std::string& why) = 0;
    // Sends every byte, giving up after timeoutMs.
    [[nodiscard]] virtual uint32_t Send(Connection connection, const std::string& bytes,
                                        uint32_t timeoutMs) = 0;
    // Appends to bytes what arrives, waiting at most timeoutMs for the first byte; kClosed
    // when the other side has closed the connection and nothing is left to read.
    [[nodiscard]] virtual uint32_t Receive(Connection connection, std::string& bytes,
                                           uint32_t timeoutMs) = 0;
    virtual void Close(Connection connection) = 0;
};

}  // namespace kestrel::os
