#pragma once
// Fake of the network: servers are objects a test places at host:port. Each connection hands
// the server what the client sends and queues what it answers; nothing waits for real, so a
// server that stays silent makes Receive answer 10060 at once. Everything the client sent is
// recorded per connection, split into what went before and after TLS.

#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "os/network.h"

namespace kestrel::os::fake {

// What a server does with a piece of the client's bytes.
struct ServerAnswer {
    ServerAnswer(std::string answer = {}, bool closes = false, bool silences = false)
        : bytes(std::move(answer)), close(closes), silent(silences) {}
    std::string bytes;    // queued for the client to receive
    bool close = false;   // the server closes after queuing bytes
    bool silent = false;  // the server never answers again
};

class FakeServer {
public:
    virtual ~FakeServer() = default;
    // A new connection: what the server sends first.
    virtual ServerAnswer Accept() = 0;
    // TLS is now on; a server with implicit TLS greets here.
    virtual ServerAnswer TlsStarted() { return {}; }
    virtual ServerAnswer Take(const std::string& bytes) = 0;

    // StartTls fails with this error and reason when tlsError is not 0.
    uint32_t tlsError = 0;
    std::string tlsWhy;
};

// A line-based SMTP server: EHLO with the listed extensions, STARTTLS, AUTH PLAIN and LOGIN
// against one account, MAIL, RCPT, DATA (kept as received, still dot-stuffed), QUIT.
class FakeSmtpServer : public FakeServer {
public:
    std::string greeting = "220 mail.example.test ESMTP";
    std::vector<std::string> extensions = {"8BITMIME", "AUTH PLAIN LOGIN"};
    bool offerStartTls = false;  // listed before TLS only
    bool implicitTls = false;    // greets only once TLS is on
    bool refuseEhlo = false;     // EHLO answers 502
    std::string userName = "tech";
    std::string password = "s3cret";
    // A verb ("MAIL", "RCPT", "DATA", "AUTH", ...) answered with this reply instead.
    std::map<std::string, std::string> replies;
    // A verb at which the server closes without answering; "BODY" is the middle of the DATA.
    std::string closeAt;
    // A verb at which the server goes silent.
    std::string silentAt;

    // What it saw: each command line without CR LF, and the DATA bytes up to the final dot.
    std::vector<std::string> commands;
    std::string data;
    bool tls = false;
    bool authenticated = false;

    ServerAnswer Accept() override;
    ServerAnswer TlsStarted() override;
    ServerAnswer Take(const std::string& bytes) override;

private:
    ServerAnswer Command(const std::string& line);
    ServerAnswer Ehlo(const std::string& verb);
    ServerAnswer AuthStep(const std::string& line);
    ServerAnswer Reply(const std::string& verb, const std::string& normal);

    std::string m_pending;  // an incomplete line
    bool m_inData = false;
    enum class Auth { None, PlainResponse, LoginUser, LoginPassword } m_auth = Auth::None;
    std::string m_loginUser;
};

class FakeNetwork : public Network {
public:
    struct Record {
        std::string host;
        std::string port;
        uint32_t timeoutMs = 0;
        std::string sentInClear;  // before StartTls succeeded
        std::string sentInTls;
        bool tls = false;
        bool closedByClient = false;
    };

    // Places a server; the same object serves every connection to host:port.
    void Serve(const std::string& host, const std::string& port,
               std::shared_ptr<FakeServer> server);
    // A host that resolves but has no server at that port gives 10061; unknown hosts 11001.
    std::set<std::string> knownHosts;

    std::vector<Record> records;  // one per connection made
    // Everything sent on every connection, in order.
    std::string AllSent() const;

    uint32_t Connect(const std::string& host, const std::string& port, uint32_t timeoutMs,
                     Connection& connection) override;
    uint32_t StartTls(Connection connection, const std::string& hostName, uint32_t timeoutMs,
                      std::string& why) override;
    uint32_t Send(Connection connection, const std::string& bytes, uint32_t timeoutMs) override;
    uint32_t Receive(Connection connection, std::string& bytes, uint32_t timeoutMs) override;
    void Close(Connection connection) override;

private:
    struct Open {
        std::shared_ptr<FakeServer> server;
        size_t record = 0;
        std::string queued;
        bool closed = false;  // by the server
        bool silent = false;
        bool open = true;
    };
    Open* Find(Connection connection);
    void Queue(Open& open, const ServerAnswer& answer);

    std::map<std::string, std::shared_ptr<FakeServer>> m_servers;  // by "host:port"
    std::vector<Open> m_open;                                      // connection n is m_open[n - 1]
};

}  // namespace kestrel::os::fake
