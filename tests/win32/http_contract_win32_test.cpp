// The HTTP port's contract against WinHTTP (under Wine), with the servers of
// tests/win32/http_test_server.py that tests/win32/http_test.sh starts; skipped without them.
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <vector>

#include "contract/http_world.h"
#include "os/win32/win32_ports.h"
#include "os/win32/windows_api.h"
#include "win32/win32_machine.h"

namespace kestrel::testing {
namespace {

constexpr uint32_t kWineSecureChannelError = 12157;  // ERROR_WINHTTP_SECURE_CHANNEL_ERROR

class Win32HttpWorld : public HttpWorld {
public:
    Win32HttpWorld() {
        std::istringstream in(std::getenv("KESTREL_HTTP_TEST_PORTS"));
        std::string entry;
        while (in >> entry) {
            const auto eq = entry.find('=');
            m_ports[entry.substr(0, eq)] = entry.substr(eq + 1);
        }
    }
    ~Win32HttpWorld() override {
        for (const std::string& file : m_files) {
            DeleteFileA(file.c_str());
        }
    }
    os::Http& Http() override { return *m_http; }
    uint32_t CertificateRefusal() const override {
        return RunningUnderWine() ? kWineSecureChannelError : os::httperror::kSecureFailure;
    }
    bool SeesAChunkedBodyCut() const override { return !RunningUnderWine(); }
    void Put(const std::string& name, const std::string& bytes) override {
        const std::string path = std::string(std::getenv("KESTREL_HTTP_TEST_ROOT")) + "\\" + name;
        std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
        m_files.push_back(path);
    }
    // The https servers by name: Wine refuses a certificate for a host given as an address.
    std::string Url(HttpServer server, const std::string& path) override {
        static const std::map<HttpServer, std::pair<const char*, const char*>> kServers = {
            {HttpServer::kPlain, {"http://127.0.0.1:", "http"}},
            {HttpServer::kSecure, {"https://localhost:", "https"}},
            {HttpServer::kUntrusted, {"https://localhost:", "untrusted"}},
            {HttpServer::kMisnamed, {"https://localhost:", "misnamed"}},
            {HttpServer::kRefused, {"http://127.0.0.1:", "refused"}},
        };
        const auto& [base, name] = kServers.at(server);
        return base + m_ports.at(name) + path;
    }

private:
    std::unique_ptr<os::Http> m_http = os::win32::MakeHttp();
    std::map<std::string, std::string> m_ports;
    std::vector<std::string> m_files;
};

std::vector<Maker<HttpWorld>> Worlds() {
    if (std::getenv("KESTREL_HTTP_TEST_PORTS") == nullptr ||
        std::getenv("KESTREL_HTTP_TEST_ROOT") == nullptr) {
        return {};
    }
    return {{"Win32", [] { return std::make_unique<Win32HttpWorld>(); }}};
}

// What WinHTTP sends, which only the real server sees.
TEST(HttpOnWindows, RequestsNameKestrelAndAskForAFreshCopy) {
    if (Worlds().empty()) {
        GTEST_SKIP() << "needs the servers of tests/win32/http_test.sh";
    }
    struct Collect : os::HttpReceiver {
        bool OnResponse(const os::HttpResponse&) override { return true; }
        bool OnData(const char* data, size_t count) override {
            body.append(data, count);
            return true;
        }
        std::string body;
    } headers;
    Win32HttpWorld world;
    ASSERT_EQ(world.Http().Get(world.Url(HttpServer::kPlain, "/headers"), 10000, headers), 0u);
    for (const char* line :
         {"User-Agent: Kestrel\r\n", "Cache-Control: no-cache\r\n", "Pragma: no-cache\r\n"}) {
        EXPECT_NE(headers.body.find(line), std::string::npos) << line << headers.body;
    }
}

}  // namespace

GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(HttpContract);
INSTANTIATE_TEST_SUITE_P(Win32, HttpContract, ::testing::ValuesIn(Worlds()), MakerName<HttpWorld>);

}  // namespace kestrel::testing
