// What the HTTP port does with a server's answers: bodies whole and in pieces, statuses
// reported rather than judged, redirects, broken and stalled transfers, receivers that stop,
// and certificates.
#include <algorithm>
#include <limits>
#include <numeric>
#include <vector>

#include "contract/http_world.h"

namespace kestrel::testing {
namespace {

namespace httperror = os::httperror;

constexpr uint32_t kPatience = 10000;
constexpr size_t kMaxPiece = 64 * 1024;

struct Recorder : os::HttpReceiver {
    bool OnResponse(const os::HttpResponse& r) override {
        response = r;
        ++responses;
        return !stopAtResponse;
    }
    bool OnData(const char* data, size_t count) override {
        body.append(data, count);
        pieces.push_back(count);
        return pieces.size() < stopAfterPieces;
    }

    os::HttpResponse response;
    int responses = 0;
    std::string body;
    std::vector<size_t> pieces;
    bool stopAtResponse = false;
    size_t stopAfterPieces = std::numeric_limits<size_t>::max();
};

// Bytes of every value, so that a lost, doubled or reordered piece shows.
std::string Pattern(size_t size) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>((i * 131 + i / 251) & 0xff);
    }
    return bytes;
}

const std::string kBig = Pattern(300000);

TEST_P(HttpContract, BodiesArriveWholeInPiecesWithTheLengthWhenTheServerSendsOne) {
    W().Put("big.bin", kBig);
    struct Case {
        HttpServer server;
        const char* path;
        uint32_t timeoutMs;
        bool hasLength;
    };
    // The slow body takes about 2 s but never pauses for the whole timeout.
    const Case cases[] = {
        {HttpServer::kPlain, "/big.bin", kPatience, true},
        {HttpServer::kPlain, "/chunked/big.bin", kPatience, false},
        {HttpServer::kPlain, "/redirect/big.bin", kPatience, true},
        {HttpServer::kPlain, "/slow/big.bin", 1000, false},
        {HttpServer::kSecure, "/big.bin", kPatience, true},
        {HttpServer::kSecure, "/redirect/chunked/big.bin", kPatience, false},
    };
    for (const Case& c : cases) {
        const std::string url = W().Url(c.server, c.path);
        SCOPED_TRACE(url);
        Recorder r;
        EXPECT_EQ(http.Get(url, c.timeoutMs, r), 0u);
        EXPECT_EQ(r.responses, 1);
        EXPECT_EQ(r.response.status, 200u);
        EXPECT_EQ(r.response.contentLength,
                  c.hasLength ? std::optional<uint64_t>(kBig.size()) : std::nullopt);
        EXPECT_TRUE(r.body == kBig) << r.body.size() << " bytes";
        EXPECT_GT(r.pieces.size(), 1u);
        EXPECT_LE(std::accumulate(r.pieces.begin(), r.pieces.end(), size_t{0},
                                  [](size_t a, size_t b) { return std::max(a, b); }),
                  kMaxPiece);
    }
}

TEST_P(HttpContract, AnErrorStatusIsReportedWithItsBodyAndTheTransferSucceeds) {
    const struct {
        const char* path;
        uint32_t status;
    } cases[] = {{"/missing.zip", 404}, {"/status/404", 404}, {"/status/500", 500}};
    for (const auto& c : cases) {
        const std::string url = W().Url(HttpServer::kPlain, c.path);
        SCOPED_TRACE(url);
        Recorder r;
        EXPECT_EQ(http.Get(url, kPatience, r), 0u);
        EXPECT_EQ(r.response.status, c.status);
        EXPECT_FALSE(r.body.empty());
        EXPECT_EQ(r.response.contentLength, std::optional<uint64_t>(r.body.size()));
    }
}

TEST_P(HttpContract, FailedTransfersGiveTheirWinHttpNumbers) {
    W().Put("big.bin", kBig);
    struct Case {
        std::string url;
        uint32_t timeoutMs;
        uint32_t error;
    };
    const Case cases[] = {
        {W().Url(HttpServer::kPlain, "/loop"), kPatience, httperror::kRedirectFailed},
        {W().Url(HttpServer::kSecure, "/to-http/big.bin"), kPatience, httperror::kRedirectFailed},
        {W().Url(HttpServer::kPlain, "/cut/big.bin"), kPatience, httperror::kConnectionError},
        {W().Url(HttpServer::kSecure, "/cut/big.bin"), kPatience, httperror::kConnectionError},
        {W().Url(HttpServer::kPlain, "/cut-chunked/big.bin"), kPatience,
         W().SeesAChunkedBodyCut() ? httperror::kConnectionError : 0},
        {W().Url(HttpServer::kPlain, "/stall/big.bin"), 500, httperror::kTimeout},
        {W().Url(HttpServer::kRefused, "/big.bin"), kPatience, httperror::kCannotConnect},
        {"ftp://127.0.0.1/big.bin", kPatience, httperror::kUnknownScheme},
        {W().Url(HttpServer::kUntrusted, "/big.bin"), kPatience, W().CertificateRefusal()},
        {W().Url(HttpServer::kMisnamed, "/big.bin"), kPatience, W().CertificateRefusal()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url);
        Recorder r;
        EXPECT_EQ(http.Get(c.url, c.timeoutMs, r), c.error);
        EXPECT_LT(r.body.size(), kBig.size());
        EXPECT_EQ(r.body, kBig.substr(0, r.body.size()));
    }
}

TEST_P(HttpContract, AReceiverThatSaysNoStopsTheTransfer) {
    W().Put("big.bin", kBig);
    const std::string url = W().Url(HttpServer::kPlain, "/big.bin");
    Recorder atResponse;
    atResponse.stopAtResponse = true;
    EXPECT_EQ(http.Get(url, kPatience, atResponse), httperror::kCancelled);
    EXPECT_TRUE(atResponse.pieces.empty());

    Recorder atFirstPiece;
    atFirstPiece.stopAfterPieces = 1;
    EXPECT_EQ(http.Get(url, kPatience, atFirstPiece), httperror::kCancelled);
    EXPECT_EQ(atFirstPiece.pieces.size(), 1u);

    // The port is ready for the next transfer.
    Recorder whole;
    EXPECT_EQ(http.Get(url, kPatience, whole), 0u);
    EXPECT_TRUE(whole.body == kBig);
}

}  // namespace
}  // namespace kestrel::testing
