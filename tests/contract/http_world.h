#pragma once
// A world for the HTTP port: the fake, or (under Wine) WinHTTP against the servers of
// tests/win32/http_test_server.py. Every server serves the same files, and each path may carry
// that server's prefixes ("/redirect/", "/to-http/", "/loop", "/chunked/", "/slow/", "/cut/",
// "/cut-chunked/", "/stall/", "/status/").

#include <memory>
#include <string>

#include "contract/worlds.h"
#include "os/http.h"

namespace kestrel::testing {

enum class HttpServer {
    kPlain,      // http
    kSecure,     // https, a certificate for 127.0.0.1 from a trusted CA
    kUntrusted,  // https, a certificate from a CA nobody trusts
    kMisnamed,   // https, a trusted CA's certificate for another host name
    kRefused,    // a port nobody listens on
};

class HttpWorld {
public:
    virtual ~HttpWorld() = default;
    virtual os::Http& Http() = 0;
    // Puts a file with these bytes on every server, as "/" + name.
    virtual void Put(const std::string& name, const std::string& bytes) = 0;
    // The URL of path (beginning with "/") on that server.
    virtual std::string Url(HttpServer server, const std::string& path) = 0;

    // What a refused certificate gives: Wine answers 12157 (a failed secure channel) to an
    // untrusted and to a misnamed one alike; Windows and the fake 12175.
    virtual uint32_t CertificateRefusal() const { return os::httperror::kSecureFailure; }
    // Wine takes a connection that closes before a chunked body's last chunk for the body's
    // end (0); Windows and the fake report the break (12030).
    virtual bool SeesAChunkedBodyCut() const { return true; }
};

class HttpContract : public WorldSuite<HttpWorld> {
protected:
    os::Http& http = W().Http();
};

std::unique_ptr<HttpWorld> MakeFakeHttpWorld();

}  // namespace kestrel::testing
