// The HTTP port's fake, set up as tests/win32/http_test_server.py answers: each URL the suite
// asks for gets the reply that server would give.
#include <map>

#include "contract/http_world.h"
#include "os/fake/fake_http.h"

namespace kestrel::testing {
namespace {

namespace httperror = os::httperror;
using os::fake::FakeHttpReply;

FakeHttpReply Failing(uint32_t error) {
    FakeHttpReply reply;
    reply.error = error;
    return reply;
}
FakeHttpReply Redirect(const std::string& to) {
    FakeHttpReply reply;
    reply.redirectTo = to;
    return reply;
}
FakeHttpReply Page(uint32_t status, const std::string& body) {
    FakeHttpReply reply;
    reply.status = status;
    reply.body = body;
    return reply;
}

class FakeHttpWorld : public HttpWorld {
public:
    os::Http& Http() override { return m_http; }
    void Put(const std::string& name, const std::string& bytes) override { m_files[name] = bytes; }

    std::string Url(HttpServer server, const std::string& path) override {
        const std::string url = Base(server) + path;
        if (server == HttpServer::kRefused) {
            return url;  // an unknown URL cannot connect
        }
        if (server == HttpServer::kUntrusted || server == HttpServer::kMisnamed) {
            m_http.Serve(url, Failing(httperror::kSecureFailure));
            return url;
        }
        m_http.Serve(url, Reply(server, path));
        return url;
    }

private:
    static std::string Base(HttpServer server) {
        static const std::map<HttpServer, std::string> kBases = {
            {HttpServer::kPlain, "http://127.0.0.1:8001"},
            {HttpServer::kSecure, "https://127.0.0.1:8002"},
            {HttpServer::kUntrusted, "https://127.0.0.1:8003"},
            {HttpServer::kMisnamed, "https://127.0.0.1:8004"},
            {HttpServer::kRefused, "http://127.0.0.1:8005"},
        };
        return kBases.at(server);
    }

    FakeHttpReply Reply(HttpServer server, const std::string& path) {
        const size_t slash = path.find('/', 1);
        const std::string mode = path.substr(1, slash == std::string::npos ? slash : slash - 1);
        const std::string rest = slash == std::string::npos ? "" : path.substr(slash + 1);
        if (mode == "redirect") {
            return Redirect(Url(server, "/" + rest));
        }
        if (mode == "to-http") {
            return Redirect(Url(HttpServer::kPlain, "/" + rest));
        }
        if (mode == "loop") {
            return Redirect(Base(server) + path);
        }
        if (mode == "status") {
            return Page(static_cast<uint32_t>(std::stoul(rest)), "status " + rest + "\n");
        }
        const bool prefixed = mode == "chunked" || mode == "slow" || mode == "cut" ||
                              mode == "cut-chunked" || mode == "stall";
        const auto file = m_files.find(prefixed ? rest : path.substr(1));
        if (file == m_files.end()) {
            return Page(404, "<html><body><h1>404 Not Found</h1></body></html>\n");
        }
        FakeHttpReply reply = Page(200, file->second);
        reply.sendLength = mode != "chunked" && mode != "slow" && mode != "cut-chunked";
        if (mode == "cut" || mode == "cut-chunked") {
            reply.cutAfter = reply.body.size() / 2;
        } else if (mode == "stall") {
            reply.cutAfter = 0;
            reply.cutWith = httperror::kTimeout;
        }
        return reply;
    }

    os::fake::FakeHttp m_http;
    std::map<std::string, std::string> m_files;
};

}  // namespace

std::unique_ptr<HttpWorld> MakeFakeHttpWorld() {
    return std::make_unique<FakeHttpWorld>();
}

}  // namespace kestrel::testing
