#include "os/http.h"

#include <algorithm>
#include <climits>
#include <memory>
#include <vector>

#include "base/strings.h"
#include "os/win32/win32_ports.h"
#include "os/win32/windows_api.h"

#include <winhttp.h>

namespace kestrel::os::win32 {
namespace {

struct InternetTraits {
    using Handle = HINTERNET;
    static Handle Invalid() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr; }
    static void Close(Handle h) { WinHttpCloseHandle(h); }
};
using UniqueInternet = UniqueResource<InternetTraits>;

constexpr DWORD kPiece = 64 * 1024;
#ifndef WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_3
#define WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_3 0x00002000
#endif
constexpr DWORD kMaxRedirects = 10;

// Certificate checks may fail with their own numbers; the port reports them all as one. (Wine
// reports every refused certificate as 12157, ERROR_WINHTTP_SECURE_CHANNEL_ERROR, just as a
// failed handshake, and cannot be told apart; a host given as an address fails the same way
// there, even when the certificate names that address.)
bool IsCertificateError(DWORD error) {
    switch (error) {
        case ERROR_WINHTTP_SECURE_CERT_DATE_INVALID:
        case ERROR_WINHTTP_SECURE_CERT_CN_INVALID:
        case ERROR_WINHTTP_SECURE_INVALID_CA:
        case ERROR_WINHTTP_SECURE_CERT_REV_FAILED:
        case ERROR_WINHTTP_SECURE_INVALID_CERT:
        case ERROR_WINHTTP_SECURE_CERT_REVOKED:
        case ERROR_WINHTTP_SECURE_CERT_WRONG_USAGE:
            return true;
        default:
            return false;
    }
}

uint32_t LastError() {
    const DWORD error = GetLastError();
    if (IsCertificateError(error)) {
        return httperror::kSecureFailure;
    }
    // Wine lets the socket's receive timeout through as it is.
    if (error == WSAETIMEDOUT) {
        return httperror::kTimeout;
    }
    return error == 0 ? httperror::kConnectionError : error;
}

std::optional<uint64_t> ContentLength(HINTERNET request) {
    wchar_t text[32] = {};
    DWORD size = sizeof(text);
    if (!WinHttpQueryHeaders(request, WINHTTP_QUERY_CONTENT_LENGTH, WINHTTP_HEADER_NAME_BY_INDEX,
                             text, &size, WINHTTP_NO_HEADER_INDEX)) {
        return std::nullopt;
    }
    uint64_t value = 0;
    const wchar_t* p = text;
    for (; *p >= L'0' && *p <= L'9'; ++p) {
        if (value > (UINT64_MAX - 9) / 10) {
            return std::nullopt;
        }
        value = value * 10 + static_cast<uint64_t>(*p - L'0');
    }
    if (p == text || *p != L'\0') {
        return std::nullopt;
    }
    return value;
}

class Win32Http : public Http {
public:
    uint32_t Get(const std::string& url, uint32_t timeoutMs, HttpReceiver& receiver) override {
        const bool secure = StartsWithNoCase(url, "https://");
        if (!secure && !StartsWithNoCase(url, "http://")) {
            return httperror::kUnknownScheme;
        }
        const std::wstring wide = Wide(url);
        URL_COMPONENTS parts{};
        parts.dwStructSize = sizeof(parts);
        parts.dwHostNameLength = static_cast<DWORD>(-1);
        parts.dwUrlPathLength = static_cast<DWORD>(-1);
        parts.dwExtraInfoLength = static_cast<DWORD>(-1);
        if (!WinHttpCrackUrl(wide.c_str(), 0, 0, &parts) || parts.dwHostNameLength == 0) {
            const DWORD error = GetLastError();
            return error == ERROR_WINHTTP_UNRECOGNIZED_SCHEME ? httperror::kUnknownScheme
                                                              : httperror::kInvalidUrl;
        }
        const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
        std::wstring object(parts.lpszUrlPath, parts.dwUrlPathLength);
        object.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
        if (object.empty()) {
            object = L"/";
        }

        UniqueInternet session(WinHttpOpen(L"Kestrel", WINHTTP_ACCESS_TYPE_DEFAULT_PROXY,
                                           WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
        if (!session.Valid()) {
            return LastError();
        }
        // WinHTTP of Windows 7 offers only SSL 3 and TLS 1.0 unless told otherwise, and
        // servers refuse both now. Systems that do not know TLS 1.3
        // refuse the flag; systems without TLS 1.2 keep their defaults.
        for (DWORD protocols :
             {DWORD{WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_2 | WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_3},
              DWORD{WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_2}}) {
            if (WinHttpSetOption(session.Get(), WINHTTP_OPTION_SECURE_PROTOCOLS, &protocols,
                                 sizeof(protocols))) {
                break;
            }
        }
        const int timeout = static_cast<int>(std::min<uint32_t>(timeoutMs, INT_MAX));
        if (!WinHttpSetTimeouts(session.Get(), timeout, timeout, timeout, timeout)) {
            return LastError();
        }
        UniqueInternet connection(WinHttpConnect(session.Get(), host.c_str(), parts.nPort, 0));
        if (!connection.Valid()) {
            return LastError();
        }
        // A fresh copy: no cache on the way may answer for the server.
        const DWORD flags = WINHTTP_FLAG_REFRESH | (secure ? WINHTTP_FLAG_SECURE : 0);
        UniqueInternet request(WinHttpOpenRequest(connection.Get(), L"GET", object.c_str(), nullptr,
                                                  WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                                  flags));
        if (!request.Valid()) {
            return LastError();
        }
        // The defaults, set explicitly: redirects followed but never from https to http, and
        // a loop ends as a failed redirect. The certificate checks stay as they are (all on).
        DWORD policy = WINHTTP_OPTION_REDIRECT_POLICY_DISALLOW_HTTPS_TO_HTTP;
        DWORD redirects = kMaxRedirects;
        if (!WinHttpSetOption(request.Get(), WINHTTP_OPTION_REDIRECT_POLICY, &policy,
                              sizeof(policy)) ||
            !WinHttpSetOption(request.Get(), WINHTTP_OPTION_MAX_HTTP_AUTOMATIC_REDIRECTS,
                              &redirects, sizeof(redirects))) {
            return LastError();
        }
        const wchar_t* headers = L"Cache-Control: no-cache\r\nPragma: no-cache\r\n";
        if (!WinHttpSendRequest(request.Get(), headers, static_cast<DWORD>(-1),
                                WINHTTP_NO_REQUEST_DATA, 0, 0, 0) ||
            !WinHttpReceiveResponse(request.Get(), nullptr)) {
            return LastError();
        }

        HttpResponse response;
        DWORD status = 0;
        DWORD size = sizeof(status);
        if (!WinHttpQueryHeaders(
                request.Get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX)) {
            return LastError();
        }
        response.status = status;
        response.contentLength = ContentLength(request.Get());
        if (!receiver.OnResponse(response)) {
            return httperror::kCancelled;
        }
        return ReadBody(request.Get(), response.contentLength, receiver);
    }

private:
    // Wine ends a body cut short without an error from either call (no data available, a
    // read of 0): the count against Content-Length tells. A chunked body whose connection closes
    // before the last chunk is an error on Windows; Wine takes the close for the body's end
    // and answers 0, and nothing above WinHTTP can see the difference.
    static uint32_t ReadBody(HINTERNET request, std::optional<uint64_t> length,
                             HttpReceiver& receiver) {
        std::vector<char> buffer(kPiece);
        uint64_t received = 0;
        for (;;) {
            DWORD available = 0;
            if (!WinHttpQueryDataAvailable(request, &available)) {
                return LastError();
            }
            if (available == 0) {
                break;
            }
            DWORD read = 0;
            if (!WinHttpReadData(request, buffer.data(), std::min(available, kPiece), &read)) {
                return LastError();
            }
            if (read == 0) {
                break;
            }
            received += read;
            if (!receiver.OnData(buffer.data(), read)) {
                return httperror::kCancelled;
            }
        }
        if (length && received != *length) {
            return httperror::kConnectionError;
        }
        return 0;
    }
};

}  // namespace

std::unique_ptr<Http> MakeHttp() {
    return std::make_unique<Win32Http>();
}

}  // namespace kestrel::os::win32
