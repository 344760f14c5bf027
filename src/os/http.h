#pragma once
// Port: HTTP and HTTPS downloads (WinHTTP), at the level a file download needs. Every request
// is a GET with the user agent "Kestrel" that asks every cache on the way for a fresh copy,
// follows up to 10 redirects (never from https to http) and checks the server's certificate
// chain and name. Results are WinHTTP error numbers: 0 when the whole body arrived, whatever
// the status code (a 404 page is a body like any other: the caller judges the status).
//
// Under Wine (tests): a refused certificate gives 12157 rather than 12175; an https host
// given as an address (127.0.0.1) is refused even when the certificate names it, so tests
// use "localhost"; a chunked body whose connection closes before its last chunk ends as 0.

#include <cstdint>
#include <optional>
#include <string>

namespace kestrel::os {

namespace httperror {
inline constexpr uint32_t kTimeout = 12002;          // ERROR_WINHTTP_TIMEOUT
inline constexpr uint32_t kInvalidUrl = 12005;       // ERROR_WINHTTP_INVALID_URL
inline constexpr uint32_t kUnknownScheme = 12006;    // ERROR_WINHTTP_UNRECOGNIZED_SCHEME
inline constexpr uint32_t kNameNotResolved = 12007;  // ERROR_WINHTTP_NAME_NOT_RESOLVED
inline constexpr uint32_t kCancelled = 12017;        // ERROR_WINHTTP_OPERATION_CANCELLED
inline constexpr uint32_t kCannotConnect = 12029;    // ERROR_WINHTTP_CANNOT_CONNECT
inline constexpr uint32_t kConnectionError = 12030;  // ERROR_WINHTTP_CONNECTION_ERROR
inline constexpr uint32_t kRedirectFailed = 12156;   // ERROR_WINHTTP_REDIRECT_FAILED
inline constexpr uint32_t kSecureFailure = 12175;    // ERROR_WINHTTP_SECURE_FAILURE
}  // namespace httperror

struct HttpResponse {
    uint32_t status = 0;                    // the final response's status code
    std::optional<uint64_t> contentLength;  // absent when the server sends none (chunked)
};

// Takes a response as it arrives.
class HttpReceiver {
public:
    virtual ~HttpReceiver() = default;
    // The final response's status and headers have arrived; false stops the transfer.
    virtual bool OnResponse(const HttpResponse& response) = 0;
    // The next piece of the body (1 to 64 KiB); false stops the transfer (a cancel, a failed
    // write).
    virtual bool OnData(const char* data, size_t count) = 0;
};

class Http {
public:
    virtual ~Http() = default;

    // GETs url ("http://" or "https://" only), handing the response to receiver. 0 when the
    // body arrived to its end; kCancelled when the receiver stopped it; kConnectionError
    // when the connection broke, including a body that ended before its Content-Length or
    // before its last chunk; kRedirectFailed for more than 10 redirects or one from https to
    // http; kTimeout when resolving, connecting, sending or one wait for data took longer
    // than timeoutMs (a slow body that keeps arriving never times out); kSecureFailure
    // for an untrusted or misnamed certificate; the other WinHTTP errors as they come.
    [[nodiscard]] virtual uint32_t Get(const std::string& url, uint32_t timeoutMs,
                                       HttpReceiver& receiver) = 0;
};

}  // namespace kestrel::os
