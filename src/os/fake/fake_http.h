#pragma once
// Fake of the HTTP port: replies are placed by URL. Bodies are handed over in pieces of
// chunkSize bytes, so progress can be watched; nothing waits for real.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "os/http.h"

namespace kestrel::os::fake {

struct FakeHttpReply {
    uint32_t status = 200;
    std::string body;
    bool sendLength = true;          // a Content-Length header (false: chunked)
    std::optional<size_t> cutAfter;  // the connection breaks after this many body bytes
    std::string redirectTo;          // a 302 to this URL (status and body are ignored)
    uint32_t error = 0;              // the request fails at once with this error
};

class FakeHttp : public Http {
public:
    void Serve(const std::string& url, FakeHttpReply reply) { replies[url] = std::move(reply); }
    void Serve(const std::string& url, const std::string& body) { replies[url].body = body; }

    std::map<std::string, FakeHttpReply> replies;  // an unknown URL cannot connect (12029)
    size_t chunkSize = 4096;
    std::vector<std::string> requested;  // every URL asked for, redirects included

    uint32_t Get(const std::string& url, uint32_t timeoutMs, HttpReceiver& receiver) override;
};

}  // namespace kestrel::os::fake
