#include "net/smtp_client.h"

#include <cctype>

#include "base/base64.h"
#include "base/strings.h"
#include "core/context.h"

namespace kestrel {
namespace {

constexpr size_t kMaxReply = 64 * 1024;
constexpr size_t kMaxLine = 4 * 1024;
// How much of a server's reply a reason quotes.
constexpr size_t kQuoted = 200;

struct Reply {
    int code = 0;
    std::vector<std::string> lines;  // the text after "250-" / "250 "
};

struct Extensions {
    bool startTls = false;
    bool eightBitMime = false;
    bool plain = false;
    bool login = false;
};

std::string NetworkText(uint32_t error) {
    switch (error) {
        case os::neterror::kTimeout:
            return "the server did not answer in time";
        case os::neterror::kRefused:
            return "the connection was refused";
        case os::neterror::kUnknownHost:
            return "the server name is unknown";
        case os::neterror::kClosed:
        case 10053:
            return "the server closed the connection";
        default:
            return "network error " + std::to_string(error);
    }
}

// The computer name as an EHLO domain: letters, digits and "-" only.
std::string LocalName(Context& ctx) {
    std::string name;
    for (const char c : ctx.os.env.Variable("computername")) {
        if (std::isalnum(static_cast<unsigned char>(c)) || c == '-') {
            name += c;
        }
        if (name.size() == 63) {
            break;
        }
    }
    return name.empty() ? "localhost" : name;
}

// An address goes inside "<...>" of one command line.
bool UsableAddress(const std::string& address) {
    if (address.empty() || address.size() > 320) {
        return false;
    }
    for (const char c : address) {
        if (c == '\r' || c == '\n' || c == '<' || c == '>' || c == '\0') {
            return false;
        }
    }
    return true;
}

// The message as DATA carries it: CR LF line ends, a line beginning with "." doubled, and the
// final "." line.
std::string DotStuffed(const std::string& message) {
    std::string out;
    out.reserve(message.size() + message.size() / 64 + 5);
    bool lineStart = true;
    for (size_t i = 0; i < message.size(); ++i) {
        const char c = message[i];
        if (lineStart && c == '.') {
            out += '.';
        }
        if (c == '\r' || c == '\n') {
            out += "\r\n";
            if (c == '\r' && i + 1 < message.size() && message[i + 1] == '\n') {
                ++i;
            }
            lineStart = true;
            continue;
        }
        out += c;
        lineStart = false;
    }
    if (!lineStart) {
        out += "\r\n";
    }
    return out + ".\r\n";
}

bool HasEightBit(const std::string& text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return true;
        }
    }
    return false;
}

class Dialogue {
public:
    Dialogue(Context& ctx, const SmtpJob& job, std::string& why)
        : m_ctx(ctx), m_net(ctx.os.network), m_job(job), m_why(why) {}
    ~Dialogue() {
        if (m_connection != 0) {
            m_net.Close(m_connection);
        }
    }

    [[nodiscard]] bool Run();

private:
    [[nodiscard]] bool Connect();
    [[nodiscard]] bool Tls();
    [[nodiscard]] bool Hello();
    [[nodiscard]] bool StartTls();
    [[nodiscard]] bool Authenticate();
    [[nodiscard]] bool Envelope(bool eightBitBody);
    [[nodiscard]] bool Data(const std::string& message);

    // Sends one command line (CR LF added) and reads the reply; false on a network failure.
    [[nodiscard]] bool Command(const std::string& line, Reply& reply);
    // Command, and the reply's code must be one of the expected ones.
    [[nodiscard]] bool Expect(const std::string& line, std::initializer_list<int> codes,
                              std::string_view step);
    [[nodiscard]] bool Read(Reply& reply);
    [[nodiscard]] bool ReadLine(std::string& line, uint32_t deadlineStart);
    bool Fail(std::string why);
    bool Refused(std::string_view step, const Reply& reply);

    Context& m_ctx;
    os::Network& m_net;
    const SmtpJob& m_job;
    std::string& m_why;
    os::Connection m_connection = 0;
    std::string m_buffer;
    Extensions m_extensions;
};

bool Dialogue::Run() {
    Reply greeting;
    if (!Connect() || !Tls()) {
        return false;
    }
    if (!Read(greeting)) {
        return false;
    }
    if (greeting.code != 220) {
        return Refused("greeting", greeting);
    }
    if (!Hello() || !StartTls() || !Authenticate()) {
        return false;
    }
    if (!m_job.message) {
        return Fail("there is no message to send");
    }
    const std::string message = m_job.message(m_extensions.eightBitMime);
    if (!Envelope(m_extensions.eightBitMime && HasEightBit(message)) || !Data(message)) {
        return false;
    }
    // The mail is accepted already: whatever becomes of QUIT changes nothing.
    static_cast<void>(m_net.Send(m_connection, "QUIT\r\n", m_job.timeoutMs));
    return true;
}

bool Dialogue::Connect() {
    if (m_job.server.empty() || m_job.port.empty()) {
        return Fail("no server or port is set");
    }
    const uint32_t error = m_net.Connect(m_job.server, m_job.port, m_job.timeoutMs, m_connection);
    if (error != 0) {
        m_connection = 0;
        return Fail("cannot connect to " + m_job.server + ":" + m_job.port + ": " +
                    NetworkText(error));
    }
    return true;
}

bool Dialogue::Tls() {
    if (!m_job.useSsl || Trim(m_job.port) != "465") {
        return true;
    }
    std::string reason;
    const uint32_t error = m_net.StartTls(m_connection, m_job.server, m_job.timeoutMs, reason);
    if (error != 0) {
        return Fail("TLS with " + m_job.server + " failed (error " + std::to_string(error) +
                    "): " + reason);
    }
    return true;
}

bool Dialogue::Hello() {
    const std::string name = LocalName(m_ctx);
    Reply reply;
    if (!Command("EHLO " + name, reply)) {
        return false;
    }
    m_extensions = {};
    if (reply.code >= 500 && reply.code < 600) {
        return Expect("HELO " + name, {250}, "HELO");
    }
    if (reply.code != 250) {
        return Refused("EHLO", reply);
    }
    for (size_t i = 1; i < reply.lines.size(); ++i) {
        const std::string line = UCase(Trim(reply.lines[i]));
        m_extensions.startTls = m_extensions.startTls || line == "STARTTLS";
        m_extensions.eightBitMime = m_extensions.eightBitMime || line == "8BITMIME";
        if (StartsWith(line, "AUTH ") || StartsWith(line, "AUTH=")) {
            for (const std::string& mechanism : Split(line.substr(5), " ")) {
                m_extensions.plain = m_extensions.plain || mechanism == "PLAIN";
                m_extensions.login = m_extensions.login || mechanism == "LOGIN";
            }
        }
    }
    return true;
}

bool Dialogue::StartTls() {
    if (!m_job.useSsl || Trim(m_job.port) == "465") {
        return true;
    }
    if (!m_extensions.startTls) {
        return Fail("the server " + m_job.server +
                    " does not offer STARTTLS; with UseSSL on nothing is sent in clear");
    }
    if (!Expect("STARTTLS", {220}, "STARTTLS")) {
        return false;
    }
    // Bytes that arrived before the handshake cannot be trusted once it is done.
    m_buffer.clear();
    std::string reason;
    const uint32_t error = m_net.StartTls(m_connection, m_job.server, m_job.timeoutMs, reason);
    if (error != 0) {
        return Fail("TLS with " + m_job.server + " failed (error " + std::to_string(error) +
                    "): " + reason);
    }
    return Hello();
}

bool Dialogue::Authenticate() {
    if (!m_job.authenticate) {
        return true;
    }
    if (m_extensions.plain) {
        const std::string response =
            EncodeBase64(std::string(1, '\0') + m_job.userName + '\0' + m_job.password);
        return Expect("AUTH PLAIN " + response, {235}, "AUTH");
    }
    if (m_extensions.login) {
        return Expect("AUTH LOGIN", {334}, "AUTH") &&
               Expect(EncodeBase64(m_job.userName), {334}, "AUTH") &&
               Expect(EncodeBase64(m_job.password), {235}, "AUTH");
    }
    return Fail("the server offers neither AUTH PLAIN nor AUTH LOGIN");
}

bool Dialogue::Envelope(bool eightBitBody) {
    if (!UsableAddress(m_job.from)) {
        return Fail("the sender address is not usable");
    }
    if (m_job.recipients.empty()) {
        return Fail("there is no recipient");
    }
    for (const std::string& recipient : m_job.recipients) {
        if (!UsableAddress(recipient)) {
            return Fail("a recipient address is not usable");
        }
    }
    if (!Expect("MAIL FROM:<" + m_job.from + ">" + (eightBitBody ? " BODY=8BITMIME" : ""), {250},
                "MAIL FROM")) {
        return false;
    }
    for (const std::string& recipient : m_job.recipients) {
        if (!Expect("RCPT TO:<" + recipient + ">", {250, 251}, "RCPT TO <" + recipient + ">")) {
            return false;
        }
    }
    return true;
}

bool Dialogue::Data(const std::string& message) {
    if (!Expect("DATA", {354}, "DATA")) {
        return false;
    }
    const uint32_t error = m_net.Send(m_connection, DotStuffed(message), m_job.timeoutMs);
    if (error != 0) {
        return Fail("sending the message failed: " + NetworkText(error));
    }
    Reply reply;
    if (!Read(reply)) {
        return false;
    }
    return reply.code == 250 || Refused("the message", reply);
}

bool Dialogue::Command(const std::string& line, Reply& reply) {
    const uint32_t error = m_net.Send(m_connection, line + "\r\n", m_job.timeoutMs);
    if (error != 0) {
        return Fail("sending to the server failed: " + NetworkText(error));
    }
    return Read(reply);
}

bool Dialogue::Expect(const std::string& line, std::initializer_list<int> codes,
                      std::string_view step) {
    Reply reply;
    if (!Command(line, reply)) {
        return false;
    }
    for (const int code : codes) {
        if (reply.code == code) {
            return true;
        }
    }
    return Refused(step, reply);
}

// One reply: lines "ddd-text" up to the line "ddd text" (or a bare "ddd").
bool Dialogue::Read(Reply& reply) {
    reply = {};
    const uint32_t start = m_ctx.os.clock.Milliseconds();
    size_t total = 0;
    for (;;) {
        std::string line;
        if (!ReadLine(line, start)) {
            return false;
        }
        total += line.size() + 2;
        if (total > kMaxReply) {
            return Fail("bad server input: a reply longer than 64 KiB");
        }
        if (line.size() < 3 || !std::isdigit(static_cast<unsigned char>(line[0])) ||
            !std::isdigit(static_cast<unsigned char>(line[1])) ||
            !std::isdigit(static_cast<unsigned char>(line[2])) ||
            (line.size() > 3 && line[3] != ' ' && line[3] != '-')) {
            return Fail("bad server input: a reply line without a code");
        }
        reply.code = std::stoi(line.substr(0, 3));
        reply.lines.push_back(line.size() > 4 ? line.substr(4) : "");
        if (line.size() == 3 || line[3] == ' ') {
            return true;
        }
    }
}

bool Dialogue::ReadLine(std::string& line, uint32_t start) {
    for (;;) {
        const size_t end = m_buffer.find("\r\n");
        if (end != std::string::npos && end <= kMaxLine) {
            line = m_buffer.substr(0, end);
            m_buffer.erase(0, end + 2);
            return true;
        }
        if (m_buffer.size() > kMaxLine) {
            return Fail("bad server input: a line longer than 4 KiB");
        }
        const uint32_t spent = m_ctx.os.clock.Milliseconds() - start;
        if (spent >= m_job.timeoutMs) {
            return Fail("the server did not answer in time");
        }
        const uint32_t error = m_net.Receive(m_connection, m_buffer, m_job.timeoutMs - spent);
        if (error != 0) {
            return Fail(NetworkText(error));
        }
    }
}

bool Dialogue::Refused(std::string_view step, const Reply& reply) {
    std::string text = std::to_string(reply.code);
    if (!reply.lines.empty()) {
        text += " " + reply.lines.back();
    }
    if (text.size() > kQuoted) {
        text.resize(kQuoted);
    }
    for (char& c : text) {
        if (static_cast<unsigned char>(c) < 0x20) {
            c = ' ';
        }
    }
    return Fail("the server refused " + std::string(step) + ": " + text);
}

bool Dialogue::Fail(std::string why) {
    // A server may echo what it was sent; the reason never carries the password.
    if (m_job.password.size() >= 4) {
        for (const std::string& secret :
             {m_job.password, EncodeBase64(m_job.password),
              EncodeBase64(std::string(1, '\0') + m_job.userName + '\0' + m_job.password)}) {
            why = ReplaceAll(why, secret, "***");
        }
    }
    m_why = why;
    m_ctx.debug.Print("SendThroughSmtp: " + why);
    return false;
}

}  // namespace

bool SendThroughSmtp(Context& ctx, const SmtpJob& job, std::string& why) {
    why.clear();
    Dialogue dialogue(ctx, job, why);
    return dialogue.Run();
}

}  // namespace kestrel
