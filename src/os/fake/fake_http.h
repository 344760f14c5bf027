#pragma once
// Fake of the HTTP port: replies are placed by URL. Bodies are handed over in pieces of
// chunkSize bytes, so progress can be watched; nothing waits for real. Like WinHTTP: an error
// status is a reply like any other (0 once its body is through); redirects are followed up to
// 10 hops and never from https to http (12156); a body cut short gives 12030 whether it came
// with a Content-Length or chunked, as on Windows (Wine's WinHTTP takes a chunked body's cut
// for its end and answers 0; it also answers 12157 rather than 12175 to a refused
// certificate).

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
    // What the cut gives: a server that stops sending but keeps the connection open makes
    // WinHTTP wait for the receive timeout (kTimeout).
    uint32_t cutWith = httperror::kConnectionError;
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
