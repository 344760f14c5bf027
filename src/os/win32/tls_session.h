#pragma once
// A TLS 1.2 client session over a connected socket (Schannel): the handshake with the checks
// of the server's certificate, and the records sent and received.

#include <cstdint>
#include <string>

#include "os/win32/socket_io.h"

#define SECURITY_WIN32
#include <schannel.h>
#include <security.h>

namespace kestrel::os::win32::tls {

struct CredentialsTraits {
    using Handle = CredHandle;
    static Handle Invalid() { return Handle{}; }
    static bool IsValid(const Handle& h) { return h.dwLower != 0 || h.dwUpper != 0; }
    static void Close(Handle h) { FreeCredentialsHandle(&h); }
};
using UniqueCredentials = UniqueResource<CredentialsTraits>;

struct SecurityContextTraits {
    using Handle = CtxtHandle;
    static Handle Invalid() { return Handle{}; }
    static bool IsValid(const Handle& h) { return h.dwLower != 0 || h.dwUpper != 0; }
    static void Close(Handle h) { DeleteSecurityContext(&h); }
};
using UniqueSecurityContext = UniqueResource<SecurityContextTraits>;

struct Session {
    UniqueCredentials credentials;
    UniqueSecurityContext context;
    SecPkgContext_StreamSizes sizes{};
    std::string encrypted;  // received, not yet decrypted
    bool closed = false;    // the server's close_notify came
};

// Makes the session over s: 0, or the error with why in a few words. The server's
// certificate must chain to a trusted root and name hostName.
uint32_t Handshake(SOCKET s, Session& session, const std::string& hostName,
                   const sockets::Deadline& deadline, std::string& why);
uint32_t Send(SOCKET s, Session& session, const std::string& bytes,
              const sockets::Deadline& deadline);
// Appends the data of the next record(s) to bytes; kClosed after the server's close.
uint32_t Receive(SOCKET s, Session& session, std::string& bytes, const sockets::Deadline& deadline);

}  // namespace kestrel::os::win32::tls
