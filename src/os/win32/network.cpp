#include "os/network.h"

#include <map>
#include <memory>
#include <mutex>

#include "os/win32/win32_ports.h"
#include "os/win32/windows_api.h"

// After <windows.h> (lean, so without the old winsock.h).
#include <winsock2.h>
#include <ws2tcpip.h>
#define SECURITY_WIN32
#include <schannel.h>
#include <security.h>
#include <wincrypt.h>

namespace kestrel::os::win32 {
namespace {

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

struct CertificateTraits {
    using Handle = PCCERT_CONTEXT;
    static Handle Invalid() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr; }
    static void Close(Handle h) { CertFreeCertificateContext(h); }
};
using UniqueCertificate = UniqueResource<CertificateTraits>;

struct ChainTraits {
    using Handle = PCCERT_CHAIN_CONTEXT;
    static Handle Invalid() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr; }
    static void Close(Handle h) { CertFreeCertificateChain(h); }
};
using UniqueChain = UniqueResource<ChainTraits>;

// A buffer that Schannel allocated for the caller (ISC_REQ_ALLOCATE_MEMORY).
struct ContextBufferTraits {
    using Handle = void*;
    static Handle Invalid() { return nullptr; }
    static bool IsValid(Handle p) { return p != nullptr; }
    static void Close(Handle p) { FreeContextBuffer(p); }
};
using UniqueContextBuffer = UniqueResource<ContextBufferTraits>;

// One TLS record is at most 16 KiB of data plus header, padding and MAC; a server's
// handshake flight (certificate chain included) stays well below the second bound.
constexpr size_t kMaxRecord = 16 * 1024 + 2048;
constexpr size_t kMaxHandshake = 64 * 1024;
constexpr size_t kReadChunk = 16 * 1024;
constexpr int kMaxHandshakeRounds = 64;

struct Link {
    UniqueSocket socket;
    bool tls = false;
    UniqueCredentials credentials;
    UniqueSecurityContext context;
    SecPkgContext_StreamSizes sizes{};
    std::string encrypted;  // received, not yet decrypted
    bool closed = false;    // the server's close_notify came
};

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

// The handle itself, for the calls that take a handle by pointer without replacing it.
template <class Resource>
typename Resource::Handle* Ptr(Resource& resource) {
    return const_cast<typename Resource::Handle*>(&resource.Get());
}

uint32_t LastSocketError() {
    return static_cast<uint32_t>(WSAGetLastError());
}

// Waits until s can be written (or read); 0, kTimeout or the socket's error.
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

// Appends at most limit bytes of what arrives before the deadline; kClosed at the end.
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

std::string ReasonOf(uint32_t status) {
    switch (static_cast<HRESULT>(status)) {
        case CERT_E_UNTRUSTEDROOT:
        case CERT_E_CHAINING:
        case CERT_E_UNTRUSTEDTESTROOT:
            return "certificate not trusted";
        case CERT_E_CN_NO_MATCH:
            return "certificate name does not match";
        case CERT_E_EXPIRED:
            return "certificate expired or not yet valid";
        case CERT_E_WRONG_USAGE:
            return "certificate not meant for a server";
        case CRYPT_E_REVOKED:
            return "certificate revoked";
        case TRUST_E_CERT_SIGNATURE:
            return "certificate signature not valid";
        case SEC_E_ALGORITHM_MISMATCH:
            return "no common TLS protocol or cipher";
        case SEC_E_ILLEGAL_MESSAGE:
            return "the server's TLS message is not valid";
        case SEC_E_INCOMPLETE_MESSAGE:
            return "the TLS handshake is too large";
        case SEC_E_NO_CREDENTIALS:
            return "no TLS credentials";
        default:
            return "TLS handshake failed";
    }
}

// The chain's own verdict. Wine's SSL policy lets a partial chain (an issuer that is nowhere
// in the stores) pass, so the status is read here first. Revocation is not asked for, so its
// "unknown" bits say nothing.
uint32_t ChainError(DWORD status) {
    status &= ~static_cast<DWORD>(CERT_TRUST_REVOCATION_STATUS_UNKNOWN |
                                  CERT_TRUST_IS_OFFLINE_REVOCATION);
    if (status == CERT_TRUST_NO_ERROR) {
        return 0;
    }
    if (status & CERT_TRUST_IS_REVOKED) {
        return static_cast<uint32_t>(CRYPT_E_REVOKED);
    }
    if (status & CERT_TRUST_IS_NOT_SIGNATURE_VALID) {
        return static_cast<uint32_t>(TRUST_E_CERT_SIGNATURE);
    }
    if (status & CERT_TRUST_IS_NOT_TIME_VALID) {
        return static_cast<uint32_t>(CERT_E_EXPIRED);
    }
    if (status & CERT_TRUST_IS_NOT_VALID_FOR_USAGE) {
        return static_cast<uint32_t>(CERT_E_WRONG_USAGE);
    }
    if (status & CERT_TRUST_IS_UNTRUSTED_ROOT) {
        return static_cast<uint32_t>(CERT_E_UNTRUSTEDROOT);
    }
    return static_cast<uint32_t>(CERT_E_CHAINING);
}

std::string HandshakeIoReason(uint32_t rc) {
    return rc == neterror::kTimeout ? "the server did not answer the TLS handshake"
                                    : "the server closed the TLS handshake";
}

// 0 when the chain from the server's certificate ends in a trusted root and the certificate
// names hostName; otherwise the CERT_E_ value.
uint32_t VerifyServer(CtxtHandle& context, const std::string& hostName) {
    UniqueCertificate certificate;
    if (QueryContextAttributesA(&context, SECPKG_ATTR_REMOTE_CERT_CONTEXT, certificate.Out()) !=
            SEC_E_OK ||
        !certificate.Valid()) {
        return static_cast<uint32_t>(SEC_E_NO_CREDENTIALS);
    }
    char serverAuth[] = szOID_PKIX_KP_SERVER_AUTH;
    LPSTR usages[] = {serverAuth};
    CERT_CHAIN_PARA chainPara{};
    chainPara.cbSize = sizeof(chainPara);
    chainPara.RequestedUsage.dwType = USAGE_MATCH_TYPE_OR;
    chainPara.RequestedUsage.Usage.cUsageIdentifier = 1;
    chainPara.RequestedUsage.Usage.rgpszUsageIdentifier = usages;
    UniqueChain chain;
    if (!CertGetCertificateChain(nullptr, certificate.Get(), nullptr, certificate.Get()->hCertStore,
                                 &chainPara, 0, nullptr, chain.Out())) {
        return static_cast<uint32_t>(GetLastError());
    }
    if (const uint32_t rc = ChainError(chain.Get()->TrustStatus.dwErrorStatus); rc != 0) {
        return rc;
    }
    std::wstring name = Wide(hostName);
    SSL_EXTRA_CERT_CHAIN_POLICY_PARA ssl{};
    ssl.cbSize = sizeof(ssl);
    ssl.dwAuthType = AUTHTYPE_SERVER;
    ssl.pwszServerName = name.data();
    CERT_CHAIN_POLICY_PARA policy{};
    policy.cbSize = sizeof(policy);
    policy.pvExtraPolicyPara = &ssl;
    CERT_CHAIN_POLICY_STATUS status{};
    status.cbSize = sizeof(status);
    if (!CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_SSL, chain.Get(), &policy, &status)) {
        return static_cast<uint32_t>(GetLastError());
    }
    return status.dwError;
}

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
        const uint32_t rc = Handshake(*link, hostName, Deadline(timeoutMs), why);
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
        const auto& sizes = link->sizes;
        std::string record;
        for (size_t at = 0; at < bytes.size();) {
            const size_t size = std::min<size_t>(bytes.size() - at, sizes.cbMaximumMessage);
            record.assign(sizes.cbHeader + size + sizes.cbTrailer, '\0');
            record.replace(sizes.cbHeader, size, bytes, at, size);
            SecBuffer buffers[4] = {
                {sizes.cbHeader, SECBUFFER_STREAM_HEADER, record.data()},
                {static_cast<unsigned long>(size), SECBUFFER_DATA, record.data() + sizes.cbHeader},
                {sizes.cbTrailer, SECBUFFER_STREAM_TRAILER, record.data() + sizes.cbHeader + size},
                {0, SECBUFFER_EMPTY, nullptr}};
            SecBufferDesc desc{SECBUFFER_VERSION, 4, buffers};
            if (const SECURITY_STATUS st = EncryptMessage(Ptr(link->context), 0, &desc, 0);
                st != SEC_E_OK) {
                return static_cast<uint32_t>(st);
            }
            const size_t total = buffers[0].cbBuffer + buffers[1].cbBuffer + buffers[2].cbBuffer;
            if (const uint32_t rc = SendRaw(link->socket.Get(), record.data(), total, deadline);
                rc != 0) {
                return rc;
            }
            at += size;
        }
        return 0;
    }

    uint32_t Receive(Connection connection, std::string& bytes, uint32_t timeoutMs) override {
        Link* link = Find(connection);
        if (link == nullptr) {
            return ERROR_INVALID_HANDLE;
        }
        const Deadline deadline(timeoutMs);
        if (!link->tls) {
            return ReceiveRaw(link->socket.Get(), bytes, kReadChunk, deadline);
        }
        for (;;) {
            if (link->closed) {
                return neterror::kClosed;
            }
            if (!link->encrypted.empty()) {
                bool gotData = false;
                const uint32_t rc = Decrypt(*link, bytes, gotData);
                if (rc != static_cast<uint32_t>(SEC_E_INCOMPLETE_MESSAGE)) {
                    if (rc != 0 || gotData) {
                        return rc;
                    }
                    continue;
                }
            }
            if (link->encrypted.size() >= kMaxRecord) {
                return static_cast<uint32_t>(SEC_E_ILLEGAL_MESSAGE);
            }
            const uint32_t rc = ReceiveRaw(link->socket.Get(), link->encrypted,
                                           kMaxRecord - link->encrypted.size(), deadline);
            if (rc != 0) {
                return rc;
            }
        }
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
        const uint32_t rc = Wait(socket.Get(), true, deadline);
        if (rc != 0) {
            socket.Reset();
        }
        return rc;
    }

    static uint32_t Handshake(Link& link, const std::string& hostName, const Deadline& deadline,
                              std::string& why) {
        SCHANNEL_CRED schannel{};
        schannel.dwVersion = SCHANNEL_CRED_VERSION;
        schannel.grbitEnabledProtocols = SP_PROT_TLS1_2_CLIENT;
        schannel.dwFlags = SCH_CRED_MANUAL_CRED_VALIDATION | SCH_CRED_NO_DEFAULT_CREDS;
        TimeStamp expiry;
        char package[] = UNISP_NAME_A;
        SECURITY_STATUS st =
            AcquireCredentialsHandleA(nullptr, package, SECPKG_CRED_OUTBOUND, nullptr, &schannel,
                                      nullptr, nullptr, link.credentials.Out(), &expiry);
        if (st != SEC_E_OK) {
            why = ReasonOf(static_cast<uint32_t>(st));
            return static_cast<uint32_t>(st);
        }
        const ULONG wanted = ISC_REQ_SEQUENCE_DETECT | ISC_REQ_REPLAY_DETECT |
                             ISC_REQ_CONFIDENTIALITY | ISC_REQ_ALLOCATE_MEMORY | ISC_REQ_STREAM |
                             ISC_REQ_EXTENDED_ERROR;
        std::string target = hostName;
        std::string received;
        bool first = true;
        bool needInput = false;
        // Each round either reads or hands Schannel what it left; a server that keeps asking
        // for a client certificate must not keep the loop going.
        for (int round = 0;; ++round) {
            if (round == kMaxHandshakeRounds) {
                st = SEC_E_ILLEGAL_MESSAGE;
                break;
            }
            if (needInput) {
                if (received.size() >= kMaxHandshake) {
                    st = SEC_E_INCOMPLETE_MESSAGE;
                    break;
                }
                if (const uint32_t rc = ReceiveRaw(link.socket.Get(), received,
                                                   kMaxHandshake - received.size(), deadline);
                    rc != 0) {
                    why = HandshakeIoReason(rc);
                    return rc;
                }
            }
            SecBuffer in[2] = {
                {static_cast<unsigned long>(received.size()), SECBUFFER_TOKEN, received.data()},
                {0, SECBUFFER_EMPTY, nullptr}};
            SecBufferDesc inDesc{SECBUFFER_VERSION, 2, in};
            SecBuffer out[1] = {{0, SECBUFFER_TOKEN, nullptr}};
            SecBufferDesc outDesc{SECBUFFER_VERSION, 1, out};
            ULONG attributes = 0;
            CtxtHandle* current = first ? nullptr : Ptr(link.context);
            CtxtHandle fresh{};
            st = InitializeSecurityContextA(Ptr(link.credentials), current, target.data(), wanted,
                                            0, 0, first ? nullptr : &inDesc, 0,
                                            first ? &fresh : current, &outDesc, &attributes,
                                            &expiry);
            if (first) {
                if (st == SEC_I_CONTINUE_NEEDED || st == SEC_E_OK) {
                    link.context.Reset(fresh);
                }
                first = false;
            }
            UniqueContextBuffer token(out[0].pvBuffer);
            if (out[0].cbBuffer > 0 && token.Valid() &&
                (st == SEC_E_OK || st == SEC_I_CONTINUE_NEEDED ||
                 (FAILED(st) && (attributes & ISC_RET_EXTENDED_ERROR)))) {
                if (const uint32_t rc =
                        SendRaw(link.socket.Get(), static_cast<const char*>(token.Get()),
                                out[0].cbBuffer, deadline);
                    rc != 0) {
                    why = HandshakeIoReason(rc);
                    return rc;
                }
            }
            if (st == SEC_E_INCOMPLETE_MESSAGE) {
                needInput = true;
                continue;
            }
            if (st == SEC_I_INCOMPLETE_CREDENTIALS) {
                // Asked for a client certificate: there is none, so the same input goes again.
                needInput = false;
                continue;
            }
            if (st == SEC_I_CONTINUE_NEEDED || st == SEC_E_OK) {
                // What the call did not consume belongs to the next step (or, at the end, to
                // the first records of the conversation).
                if (in[1].BufferType == SECBUFFER_EXTRA && in[1].cbBuffer <= received.size()) {
                    received.erase(0, received.size() - in[1].cbBuffer);
                } else {
                    received.clear();
                }
                if (st == SEC_E_OK) {
                    break;
                }
                needInput = received.empty();
                continue;
            }
            break;
        }
        if (st != SEC_E_OK) {
            why = ReasonOf(static_cast<uint32_t>(st));
            return static_cast<uint32_t>(st);
        }
        if (const uint32_t rc = VerifyServer(*Ptr(link.context), hostName); rc != 0) {
            why = ReasonOf(rc);
            return rc;
        }
        st = QueryContextAttributesA(Ptr(link.context), SECPKG_ATTR_STREAM_SIZES, &link.sizes);
        if (st != SEC_E_OK) {
            why = ReasonOf(static_cast<uint32_t>(st));
            return static_cast<uint32_t>(st);
        }
        link.encrypted = std::move(received);
        link.tls = true;
        return 0;
    }

    // Decrypts the first whole record of link.encrypted and appends its data to bytes;
    // SEC_E_INCOMPLETE_MESSAGE when more must arrive first, kClosed on the server's close.
    static uint32_t Decrypt(Link& link, std::string& bytes, bool& gotData) {
        // A TLS 1.2 record names its content type in the clear. Wine answers the server's
        // close_notify alert with success and no data instead of SEC_I_CONTEXT_EXPIRED.
        constexpr char kAlertRecord = 21;
        const bool alert = link.encrypted[0] == kAlertRecord;
        SecBuffer buffers[4] = {{static_cast<unsigned long>(link.encrypted.size()), SECBUFFER_DATA,
                                 link.encrypted.data()},
                                {0, SECBUFFER_EMPTY, nullptr},
                                {0, SECBUFFER_EMPTY, nullptr},
                                {0, SECBUFFER_EMPTY, nullptr}};
        SecBufferDesc desc{SECBUFFER_VERSION, 4, buffers};
        const SECURITY_STATUS st = DecryptMessage(Ptr(link.context), &desc, 0, nullptr);
        if (st == SEC_E_INCOMPLETE_MESSAGE) {
            return static_cast<uint32_t>(st);
        }
        if (st == SEC_I_CONTEXT_EXPIRED) {
            link.encrypted.clear();
            link.closed = true;
            return neterror::kClosed;
        }
        if (st != SEC_E_OK) {
            return static_cast<uint32_t>(st);
        }
        std::string extra;
        for (const SecBuffer& buffer : buffers) {
            if (buffer.BufferType == SECBUFFER_DATA && buffer.cbBuffer > 0) {
                bytes.append(static_cast<const char*>(buffer.pvBuffer), buffer.cbBuffer);
                gotData = true;
            } else if (buffer.BufferType == SECBUFFER_EXTRA && buffer.cbBuffer > 0 &&
                       buffer.cbBuffer <= link.encrypted.size()) {
                extra = link.encrypted.substr(link.encrypted.size() - buffer.cbBuffer);
            }
        }
        link.encrypted = std::move(extra);
        if (alert && !gotData) {
            link.closed = true;
            return neterror::kClosed;
        }
        return 0;
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
