#include "os/fake/fake_http.h"

#include <algorithm>

#include "base/strings.h"

namespace kestrel::os::fake {

uint32_t FakeHttp::Get(const std::string& url, uint32_t, HttpReceiver& receiver) {
    std::string at = url;
    for (int hops = 0;; ++hops) {
        requested.push_back(at);
        if (!StartsWithNoCase(at, "http://") && !StartsWithNoCase(at, "https://")) {
            return httperror::kUnknownScheme;
        }
        auto it = replies.find(at);
        if (it == replies.end()) {
            return httperror::kCannotConnect;
        }
        const FakeHttpReply& reply = it->second;
        if (reply.error != 0) {
            return reply.error;
        }
        if (reply.redirectTo.empty()) {
            break;
        }
        if (hops == 10 ||
            (StartsWithNoCase(at, "https://") && StartsWithNoCase(reply.redirectTo, "http://"))) {
            return httperror::kRedirectFailed;
        }
        at = reply.redirectTo;
    }
    const FakeHttpReply& reply = replies[at];
    HttpResponse response;
    response.status = reply.status;
    if (reply.sendLength) {
        response.contentLength = reply.body.size();
    }
    if (!receiver.OnResponse(response)) {
        return httperror::kCancelled;
    }
    const size_t end = std::min(reply.body.size(), reply.cutAfter.value_or(reply.body.size()));
    for (size_t pos = 0; pos < end;) {
        // Pieces of at most 64 KiB, as the port promises.
        const size_t n = std::min({std::max<size_t>(chunkSize, 1), size_t{64 * 1024}, end - pos});
        if (!receiver.OnData(reply.body.data() + pos, n)) {
            return httperror::kCancelled;
        }
        pos += n;
    }
    return end < reply.body.size() ? reply.cutWith : 0;
}

}  // namespace kestrel::os::fake
