// Winsock and Schannel against the servers of net_test_server.py, started by network_test.sh.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <map>
#include <memory>
#include <sstream>
#include <vector>

#include "os/win32/win32_ports.h"

namespace kestrel::testing {
namespace {

using os::Connection;
namespace neterror = os::neterror;

constexpr uint32_t kInvalidHandle = 6;
constexpr uint32_t kUntrustedRoot = 0x800B0109;
constexpr uint32_t kChaining = 0x800B010A;
constexpr uint32_t kNameMismatch = 0x800B010F;

class NetworkOnWindows : public ::testing::Test {
protected:
    void SetUp() override {
        const char* ports = std::getenv("KESTREL_NET_TEST_PORTS");
        if (ports == nullptr) {
            GTEST_SKIP() << "needs the servers of tests/win32/network_test.sh";
        }
        std::istringstream in(ports);
        std::string entry;
        while (in >> entry) {
            const auto eq = entry.find('=');
            m_ports[entry.substr(0, eq)] = entry.substr(eq + 1);
        }
    }
    void TearDown() override {
        if (m_connection != 0) {
            m_net->Close(m_connection);
        }
    }

    uint32_t ConnectTo(const std::string& server) {
        return m_net->Connect("127.0.0.1", m_ports.at(server), 5000, m_connection);
    }
    // Receives until at least size bytes are there or a call fails; that call's result.
    uint32_t ReceiveAtLeast(size_t size, std::string& bytes) {
        uint32_t rc = 0;
        while (bytes.size() < size && rc == 0) {
            rc = m_net->Receive(m_connection, bytes, 5000);
        }
        return rc;
    }
    // Asks the echo server to close, and expects what it echoes and then the close.
    void ExpectOrderlyClose() {
        ASSERT_EQ(m_net->Send(m_connection, "bye\r\n", 5000), 0u);
        std::string bytes;
        uint32_t rc = 0;
        while (rc == 0 && bytes.size() <= 5) {
            rc = m_net->Receive(m_connection, bytes, 5000);
        }
        EXPECT_EQ(bytes, "bye\r\n");
        EXPECT_EQ(rc, neterror::kClosed);
    }

    std::unique_ptr<os::Network> m_net = os::win32::MakeNetwork();
    std::map<std::string, std::string> m_ports;
    Connection m_connection = 0;
};

TEST_F(NetworkOnWindows, PlainEchoThenTheServerCloses) {
    ASSERT_EQ(ConnectTo("plain"), 0u);
    ASSERT_NE(m_connection, 0u);
    ASSERT_EQ(m_net->Send(m_connection, "EHLO kestrel\r\n", 5000), 0u);
    std::string bytes;
    ASSERT_EQ(ReceiveAtLeast(14, bytes), 0u);
    EXPECT_EQ(bytes, "EHLO kestrel\r\n");
    ExpectOrderlyClose();
}

TEST_F(NetworkOnWindows, TlsToATrustedServerCarriesMoreThanOneRecordEachWay) {
    ASSERT_EQ(ConnectTo("tls"), 0u);
    std::string why;
    ASSERT_EQ(m_net->StartTls(m_connection, "localhost", 10000, why), 0u) << why;
    EXPECT_EQ(why, "");
    std::string payload;
    for (int i = 0; payload.size() < 40000; ++i) {
        payload += "line " + std::to_string(i) + " of the report\r\n";
    }
    ASSERT_EQ(m_net->Send(m_connection, payload, 5000), 0u);
    std::string bytes;
    ASSERT_EQ(ReceiveAtLeast(payload.size(), bytes), 0u);
    EXPECT_EQ(bytes, payload);
    ExpectOrderlyClose();
}

TEST_F(NetworkOnWindows, ACertificateThatFailsIsRefusedWithTheReason) {
    struct Case {
        const char* server;
        const char* name;
        std::vector<uint32_t> errors;
        const char* why;
    };
    // The untrusted server's CA has the same name as the trusted one, but another key.
    const Case cases[] = {
        {"untrusted", "localhost", {kUntrustedRoot, kChaining}, "certificate not trusted"},
        {"tls", "mail.kestrel.invalid", {kNameMismatch}, "certificate name does not match"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        ASSERT_EQ(ConnectTo(c.server), 0u);
        std::string why;
        const uint32_t rc = m_net->StartTls(m_connection, c.name, 10000, why);
        EXPECT_NE(std::find(c.errors.begin(), c.errors.end(), rc), c.errors.end())
            << std::hex << rc;
        EXPECT_EQ(why, c.why);
        // The refused connection is closed: nothing can be sent in the clear by mistake.
        EXPECT_EQ(m_net->Send(m_connection, "AUTH PLAIN\r\n", 1000), kInvalidHandle);
        m_connection = 0;
    }
}

TEST_F(NetworkOnWindows, ARefusedPortAndASilentServer) {
    EXPECT_EQ(ConnectTo("refused"), neterror::kRefused);
    EXPECT_EQ(m_connection, 0u);

    ASSERT_EQ(ConnectTo("silent"), 0u);
    const auto start = std::chrono::steady_clock::now();
    std::string bytes;
    EXPECT_EQ(m_net->Receive(m_connection, bytes, 400), neterror::kTimeout);
    std::string why;
    EXPECT_EQ(m_net->StartTls(m_connection, "localhost", 400, why), neterror::kTimeout);
    EXPECT_EQ(why, "the server did not answer the TLS handshake");
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_GE(elapsed, std::chrono::milliseconds(700));
    EXPECT_LT(elapsed, std::chrono::seconds(3));
    EXPECT_EQ(bytes, "");
    m_connection = 0;
}

}  // namespace
}  // namespace kestrel::testing
