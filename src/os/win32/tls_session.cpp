#include "os/win32/tls_session.h"

#include "os/network.h"

#include <wincrypt.h>

namespace kestrel::os::win32::tls {
namespace {

using sockets::Deadline;
using sockets::ReceiveRaw;
using sockets::SendRaw;

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
constexpr int kMaxHandshakeRounds = 64;

// The handle itself, for the calls that take a handle by pointer without replacing it.
template <class Resource>
typename Resource::Handle* Ptr(Resource& resource) {
    return const_cast<typename Resource::Handle*>(&resource.Get());
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

// Decrypts the first whole record of session.encrypted and appends its data to bytes;
// SEC_E_INCOMPLETE_MESSAGE when more must arrive first, kClosed on the server's close.
uint32_t Decrypt(Session& session, std::string& bytes, bool& gotData) {
    // A TLS 1.2 record names its content type in the clear. Wine answers the server's
    // close_notify alert with success and no data instead of SEC_I_CONTEXT_EXPIRED.
    constexpr char kAlertRecord = 21;
    const bool alert = session.encrypted[0] == kAlertRecord;
    SecBuffer buffers[4] = {{static_cast<unsigned long>(session.encrypted.size()), SECBUFFER_DATA,
                             session.encrypted.data()},
                            {0, SECBUFFER_EMPTY, nullptr},
                            {0, SECBUFFER_EMPTY, nullptr},
                            {0, SECBUFFER_EMPTY, nullptr}};
    SecBufferDesc desc{SECBUFFER_VERSION, 4, buffers};
    const SECURITY_STATUS st = DecryptMessage(Ptr(session.context), &desc, 0, nullptr);
    if (st == SEC_E_INCOMPLETE_MESSAGE) {
        return static_cast<uint32_t>(st);
    }
    if (st == SEC_I_CONTEXT_EXPIRED) {
        session.encrypted.clear();
        session.closed = true;
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
                   buffer.cbBuffer <= session.encrypted.size()) {
            extra = session.encrypted.substr(session.encrypted.size() - buffer.cbBuffer);
        }
    }
    session.encrypted = std::move(extra);
    if (alert && !gotData) {
        session.closed = true;
        return neterror::kClosed;
    }
    return 0;
}

}  // namespace

uint32_t Handshake(SOCKET s, Session& session, const std::string& hostName,
                   const sockets::Deadline& deadline, std::string& why) {
    SCHANNEL_CRED schannel{};
    schannel.dwVersion = SCHANNEL_CRED_VERSION;
    schannel.grbitEnabledProtocols = SP_PROT_TLS1_2_CLIENT;
    schannel.dwFlags = SCH_CRED_MANUAL_CRED_VALIDATION | SCH_CRED_NO_DEFAULT_CREDS;
    TimeStamp expiry;
    char package[] = UNISP_NAME_A;
    SECURITY_STATUS st =
        AcquireCredentialsHandleA(nullptr, package, SECPKG_CRED_OUTBOUND, nullptr, &schannel,
                                  nullptr, nullptr, session.credentials.Out(), &expiry);
    if (st != SEC_E_OK) {
        why = ReasonOf(static_cast<uint32_t>(st));
        return static_cast<uint32_t>(st);
    }
    const ULONG wanted = ISC_REQ_SEQUENCE_DETECT | ISC_REQ_REPLAY_DETECT | ISC_REQ_CONFIDENTIALITY |
                         ISC_REQ_ALLOCATE_MEMORY | ISC_REQ_STREAM | ISC_REQ_EXTENDED_ERROR;
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
            if (const uint32_t rc =
                    ReceiveRaw(s, received, kMaxHandshake - received.size(), deadline);
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
        CtxtHandle* current = first ? nullptr : Ptr(session.context);
        CtxtHandle fresh{};
        st = InitializeSecurityContextA(Ptr(session.credentials), current, target.data(), wanted, 0,
                                        0, first ? nullptr : &inDesc, 0, first ? &fresh : current,
                                        &outDesc, &attributes, &expiry);
        if (first) {
            if (st == SEC_I_CONTINUE_NEEDED || st == SEC_E_OK) {
                session.context.Reset(fresh);
            }
            first = false;
        }
        UniqueContextBuffer token(out[0].pvBuffer);
        if (out[0].cbBuffer > 0 && token.Valid() &&
            (st == SEC_E_OK || st == SEC_I_CONTINUE_NEEDED ||
             (FAILED(st) && (attributes & ISC_RET_EXTENDED_ERROR)))) {
            if (const uint32_t rc =
                    SendRaw(s, static_cast<const char*>(token.Get()), out[0].cbBuffer, deadline);
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
    if (const uint32_t rc = VerifyServer(*Ptr(session.context), hostName); rc != 0) {
        why = ReasonOf(rc);
        return rc;
    }
    st = QueryContextAttributesA(Ptr(session.context), SECPKG_ATTR_STREAM_SIZES, &session.sizes);
    if (st != SEC_E_OK) {
        why = ReasonOf(static_cast<uint32_t>(st));
        return static_cast<uint32_t>(st);
    }
    session.encrypted = std::move(received);
    return 0;
}

uint32_t Send(SOCKET s, Session& session, const std::string& bytes,
              const sockets::Deadline& deadline) {
    const auto& sizes = session.sizes;
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
        if (const SECURITY_STATUS st = EncryptMessage(Ptr(session.context), 0, &desc, 0);
            st != SEC_E_OK) {
            return static_cast<uint32_t>(st);
        }
        const size_t total = buffers[0].cbBuffer + buffers[1].cbBuffer + buffers[2].cbBuffer;
        if (const uint32_t rc = SendRaw(s, record.data(), total, deadline); rc != 0) {
            return rc;
        }
        at += size;
    }
    return 0;
}

uint32_t Receive(SOCKET s, Session& session, std::string& bytes,
                 const sockets::Deadline& deadline) {
    for (;;) {
        if (session.closed) {
            return neterror::kClosed;
        }
        if (!session.encrypted.empty()) {
            bool gotData = false;
            const uint32_t rc = Decrypt(session, bytes, gotData);
            if (rc != static_cast<uint32_t>(SEC_E_INCOMPLETE_MESSAGE)) {
                if (rc != 0 || gotData) {
                    return rc;
                }
                continue;
            }
        }
        if (session.encrypted.size() >= kMaxRecord) {
            return static_cast<uint32_t>(SEC_E_ILLEGAL_MESSAGE);
        }
        const uint32_t rc =
            ReceiveRaw(s, session.encrypted, kMaxRecord - session.encrypted.size(), deadline);
        if (rc != 0) {
            return rc;
        }
    }
}

}  // namespace kestrel::os::win32::tls
