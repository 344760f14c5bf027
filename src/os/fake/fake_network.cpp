#include "os/fake/fake_network.h"

#include "base/base64.h"
#include "base/strings.h"

namespace kestrel::os::fake {

ServerAnswer FakeSmtpServer::Accept() {
    m_pending.clear();
    m_inData = false;
    m_auth = Auth::None;
    tls = false;
    if (implicitTls) {
        return {};
    }
    return {greeting + "\r\n"};
}

ServerAnswer FakeSmtpServer::TlsStarted() {
    tls = true;
    if (implicitTls) {
        return {greeting + "\r\n"};
    }
    return {};
}

ServerAnswer FakeSmtpServer::Take(const std::string& bytes) {
    m_pending += bytes;
    ServerAnswer all;
    while (!all.close && !all.silent) {
        if (m_inData) {
            if (closeAt == "BODY" && !m_pending.empty()) {
                data += m_pending.substr(0, m_pending.size() / 2);
                return {all.bytes, true};
            }
            const size_t end = m_pending.find("\r\n.\r\n");
            const bool bare = StartsWith(m_pending, ".\r\n");
            if (end == std::string::npos && !bare) {
                break;
            }
            const size_t keep = bare ? 0 : end + 2;
            data = m_pending.substr(0, keep);
            m_pending.erase(0, keep + 3);
            m_inData = false;
            all.bytes += Reply("BODY", "250 2.0.0 queued").bytes;
            continue;
        }
        const size_t end = m_pending.find("\r\n");
        if (end == std::string::npos) {
            break;
        }
        const std::string line = m_pending.substr(0, end);
        m_pending.erase(0, end + 2);
        const ServerAnswer one = Command(line);
        all.bytes += one.bytes;
        all.close = one.close;
        all.silent = one.silent;
    }
    return all;
}

ServerAnswer FakeSmtpServer::Command(const std::string& line) {
    commands.push_back(line);
    if (m_auth != Auth::None) {
        return AuthStep(line);
    }
    const std::string verb = UCase(line.substr(0, line.find(' ')));
    if (verb == closeAt) {
        return {"", true};
    }
    if (verb == silentAt) {
        return {"", false, true};
    }
    if (verb == "EHLO" || verb == "HELO") {
        return Ehlo(verb);
    }
    if (verb == "STARTTLS") {
        return Reply(verb, offerStartTls && !tls ? "220 2.0.0 go ahead" : "502 5.5.1 no TLS");
    }
    if (verb == "AUTH") {
        const std::string mechanism = UCase(line.size() > 5 ? line.substr(5, 5) : "");
        if (StartsWith(mechanism, "PLAIN")) {
            if (line.size() > 11) {
                m_auth = Auth::PlainResponse;
                return AuthStep(line.substr(11));
            }
            m_auth = Auth::PlainResponse;
            return Reply(verb, "334 ");
        }
        if (mechanism == "LOGIN") {
            m_auth = Auth::LoginUser;
            return Reply(verb, "334 VXNlcm5hbWU6");
        }
        return {"504 5.5.4 unknown mechanism\r\n"};
    }
    if (verb == "MAIL") {
        return Reply(verb, "250 2.1.0 sender ok");
    }
    if (verb == "RCPT") {
        return Reply(verb, "250 2.1.5 recipient ok");
    }
    if (verb == "DATA") {
        ServerAnswer answer = Reply(verb, "354 end with <CRLF>.<CRLF>");
        m_inData = StartsWith(answer.bytes, "354");
        return answer;
    }
    if (verb == "QUIT") {
        return {"221 2.0.0 bye\r\n", true};
    }
    return {"500 5.5.2 unknown command\r\n"};
}

ServerAnswer FakeSmtpServer::Ehlo(const std::string& verb) {
    if (verb == "EHLO" && refuseEhlo) {
        return {"502 5.5.1 EHLO not supported\r\n"};
    }
    if (verb == "HELO") {
        return Reply(verb, "250 mail.example.test");
    }
    std::vector<std::string> lines = {"mail.example.test hello"};
    lines.insert(lines.end(), extensions.begin(), extensions.end());
    if (offerStartTls && !tls) {
        lines.push_back("STARTTLS");
    }
    std::string text;
    for (size_t i = 0; i < lines.size(); ++i) {
        text += (i + 1 < lines.size() ? "250-" : "250 ") + lines[i] + "\r\n";
    }
    return Reply(verb, text.substr(0, text.size() - 2));
}

ServerAnswer FakeSmtpServer::AuthStep(const std::string& line) {
    const Auth step = m_auth;
    m_auth = Auth::None;
    bool ok = false;
    switch (step) {
        case Auth::PlainResponse:
            ok = line == EncodeBase64(std::string(1, '\0') + userName + '\0' + password);
            break;
        case Auth::LoginUser:
            m_loginUser = line;
            m_auth = Auth::LoginPassword;
            return {"334 UGFzc3dvcmQ6\r\n"};
        case Auth::LoginPassword:
            ok = m_loginUser == EncodeBase64(userName) && line == EncodeBase64(password);
            break;
        case Auth::None:
            break;
    }
    authenticated = ok;
    return {ok ? "235 2.7.0 accepted\r\n" : "535 5.7.8 authentication failed\r\n"};
}

ServerAnswer FakeSmtpServer::Reply(const std::string& verb, const std::string& normal) {
    const auto it = replies.find(verb);
    return {(it == replies.end() ? normal : it->second) + "\r\n"};
}

void FakeNetwork::Serve(const std::string& host, const std::string& port,
                        std::shared_ptr<FakeServer> server) {
    knownHosts.insert(LCase(host));
    m_servers[LCase(host) + ":" + port] = std::move(server);
}

std::string FakeNetwork::AllSent() const {
    std::string all;
    for (const Record& record : records) {
        all += record.sentInClear + record.sentInTls;
    }
    return all;
}

uint32_t FakeNetwork::Connect(const std::string& host, const std::string& port, uint32_t timeoutMs,
                              Connection& connection) {
    connection = 0;
    const auto it = m_servers.find(LCase(host) + ":" + port);
    if (it == m_servers.end()) {
        return knownHosts.count(LCase(host)) ? neterror::kRefused : neterror::kUnknownHost;
    }
    Record record;
    record.host = host;
    record.port = port;
    record.timeoutMs = timeoutMs;
    records.push_back(record);
    Open open;
    open.server = it->second;
    open.record = records.size() - 1;
    m_open.push_back(open);
    connection = m_open.size();
    Queue(m_open.back(), it->second->Accept());
    return 0;
}

uint32_t FakeNetwork::StartTls(Connection connection, const std::string&, uint32_t,
                               std::string& why) {
    Open* open = Find(connection);
    if (open == nullptr || open->closed) {
        return neterror::kClosed;
    }
    if (open->server->tlsError != 0) {
        why = open->server->tlsWhy;
        return open->server->tlsError;
    }
    records[open->record].tls = true;
    Queue(*open, open->server->TlsStarted());
    return 0;
}

uint32_t FakeNetwork::Send(Connection connection, const std::string& bytes, uint32_t) {
    Open* open = Find(connection);
    if (open == nullptr || open->closed) {
        return neterror::kClosed;
    }
    Record& record = records[open->record];
    (record.tls ? record.sentInTls : record.sentInClear) += bytes;
    if (!open->silent) {
        Queue(*open, open->server->Take(bytes));
    }
    return 0;
}

uint32_t FakeNetwork::Receive(Connection connection, std::string& bytes, uint32_t) {
    Open* open = Find(connection);
    if (open == nullptr) {
        return neterror::kClosed;
    }
    if (!open->queued.empty()) {
        bytes += open->queued;
        open->queued.clear();
        return 0;
    }
    return open->closed ? neterror::kClosed : neterror::kTimeout;
}

void FakeNetwork::Close(Connection connection) {
    if (Open* open = Find(connection)) {
        open->open = false;
        records[open->record].closedByClient = true;
    }
}

FakeNetwork::Open* FakeNetwork::Find(Connection connection) {
    if (connection == 0 || connection > m_open.size() || !m_open[connection - 1].open) {
        return nullptr;
    }
    return &m_open[connection - 1];
}

void FakeNetwork::Queue(Open& open, const ServerAnswer& answer) {
    open.queued += answer.bytes;
    open.closed = open.closed || answer.close;
    open.silent = open.silent || answer.silent;
}

}  // namespace kestrel::os::fake
