#pragma once
// The SMTP dialogue over the network port: greeting, EHLO (HELO when refused), STARTTLS when
// the server offers it and TLS is asked for, implicit TLS on port 465, AUTH PLAIN or LOGIN,
// MAIL FROM, one RCPT TO per recipient, DATA with dot-stuffing, QUIT. Every wait is bounded.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace kestrel {

class Context;

struct SmtpJob {
    std::string server;
    std::string port;  // as stored: a text
    bool useSsl = false;
    bool authenticate = false;
    std::string userName;
    std::string password;  // never logged
    std::string from;
    std::vector<std::string> recipients;
    // The message (headers, empty line, body; CR LF line ends, not yet dot-stuffed), made
    // once the client knows whether the server takes 8-bit data (8BITMIME).
    std::function<std::string(bool eightBit)> message;
    uint32_t timeoutMs = 60000;
};

// True when the server accepted the message. On failure why holds the reason (the server's
// reply or the network error), never the password.
[[nodiscard]] bool SendThroughSmtp(Context& ctx, const SmtpJob& job, std::string& why);

}  // namespace kestrel
