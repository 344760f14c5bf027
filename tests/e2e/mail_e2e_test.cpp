// Kestrel.exe mailing its report and its log to the test SMTP servers on 127.0.0.1
// (tests/e2e/smtp_server.py, started by tests/e2e/mail-e2e.sh): what arrives, byte for byte
// where it is fixed, and how every failure ends the run in bounded time without a message.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <vector>

#include "e2e/kestrel_sandbox.h"
#include "e2e/test_apps.h"
#include "e2e/watched_run.h"
#include "net/settings_cipher.h"
#include "os/win32/windows_api.h"

namespace kestrel::e2e {
namespace {

constexpr const char* kUser = "technician";  // what smtp_server.py accepts
constexpr const char* kPassword = "s3cret-Pa55";
constexpr const char* kFrom = "kestrel@example.com";
constexpr const char* kFooter = "This message sent by  -  Kestrel v";

std::string MailFolder() {
    const char* folder = std::getenv("KESTREL_MAIL_FOLDER");
    return folder ? std::string(folder) + "\\" : "";
}

std::string Env(const char* name) {
    char value[256] = {};
    return GetEnvironmentVariableA(name, value, sizeof value) ? value : "";
}

// "NAME=PORT" lines of the servers' ports.txt.
std::map<std::string, std::string> Ports() {
    std::map<std::string, std::string> ports;
    const std::string text = ReadFileText(MailFolder() + "ports.txt").value_or("");
    for (size_t at = 0; at < text.size();) {
        const size_t end = text.find('\n', at);
        const std::string line = text.substr(at, end - at);
        if (const size_t eq = line.find('='); eq != std::string::npos) {
            ports[line.substr(0, eq)] = line.substr(eq + 1);
        }
        at = end == std::string::npos ? text.size() : end + 1;
    }
    return ports;
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

struct Mail {
    std::string headers, body, envelope;  // body decoded when quoted-printable
    std::string Header(const std::string& name) const;
};

std::string Mail::Header(const std::string& name) const {
    const std::string key = "\r\n" + name + ":";
    const std::string all = "\r\n" + headers;
    for (size_t at = 0; (at = all.find("\r\n", at)) != std::string::npos; at += 2) {
        if (_strnicmp(all.c_str() + at, key.c_str(), key.size()) == 0) {
            const size_t start = all.find_first_not_of(' ', at + key.size());
            return all.substr(start, all.find("\r\n", start) - start);
        }
    }
    return "(no " + name + ")";
}

std::string DecodeQuotedPrintable(const std::string& text) {
    std::string plain;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '=' || i + 2 >= text.size()) {
            plain += text[i];
        } else if (text.compare(i + 1, 2, "\r\n") == 0) {
            i += 2;  // a soft line break
        } else {
            plain += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
            i += 2;
        }
    }
    return plain;
}

// The messages that server received so far, in order.
std::vector<Mail> Received(const std::string& server) {
    std::vector<Mail> mails;
    for (int n = 1;; ++n) {
        const std::string base = MailFolder() + server + "\\" + std::to_string(n);
        const std::optional<std::string> raw = ReadFileText(base + ".eml");
        if (!raw) {
            return mails;
        }
        Mail mail;
        const size_t split = raw->find("\r\n\r\n");
        mail.headers = raw->substr(0, split);
        mail.body = split == std::string::npos ? "" : raw->substr(split + 4);
        if (_stricmp(mail.Header("Content-Transfer-Encoding").c_str(), "quoted-printable") == 0) {
            mail.body = DecodeQuotedPrintable(mail.body);
        }
        mail.envelope = ReadFileText(base + ".envelope").value_or("");
        mails.push_back(mail);
    }
}

struct MailSetup {
    std::string server = "plain";  // which test server's port
    // The name the certificates carry for TLS: Wine's certificate check matches names only,
    // never the IP address entry the test certificates also hold.
    std::string host = "127.0.0.1";
    bool ssl = false;
    bool auth = false;
    std::string password = kPassword;
    std::string to = "tech@example.com";
    std::string options;  // more lines of [Options]
};

// A Kestrel.ini in unencrypted mode, as a technician writes it by hand.
std::string Ini(const MailSetup& s) {
    return "[Options]\r\nEmailResults=1\r\nLogFile=1\r\n" + s.options +
           "[EmailConfig]\r\nSMTPServer=" + s.host + "\r\nSMTPPort=" + Ports()[s.server] +
           "\r\nFromEmail=" + kFrom + "\r\nToEmail=" + s.to +
           "\r\nSMTPAuth=" + (s.auth ? "1" : "0") + "\r\nUseSSL=" + (s.ssl ? "1" : "0") +
           "\r\nSMTPUserName=" + kUser +
           "\r\nSMTPPassword=" + EncryptString(s.password, cipher_keys::kPasswordUnencryptedMode) +
           "\r\n";
}

// The report text of a machine with nothing installed (its file adds one more line end).
std::string EmptyReport() {
    const std::string rule(40, '-');
    return "Installed Apps Not Matching Definitions:  \r\n" + rule +
           "\r\n\r\n\r\nInstalled Apps Matching Blacklist:  \r\n" + rule + "\r\n";
}

class MailE2E : public ::testing::Test {
protected:
    void SetUp() override {
        if (MailFolder().empty()) {
            GTEST_SKIP() << "runs under tests/e2e/mail-e2e.sh, which starts the SMTP servers";
        }
        for (const auto& [server, port] : Ports()) {
            m_seen[server] = Received(server).size();
        }
    }

    // What server received since the test began.
    std::vector<Mail> Arrived(const std::string& server) {
        std::vector<Mail> mails = Received(server);
        mails.erase(mails.begin(), mails.begin() + static_cast<long>(m_seen[server]));
        return mails;
    }
    std::map<std::string, size_t> m_seen;

    // "/sendreport" with that setup: the run, with its duration checked against the bound.
    WatchedRun SendReport(const KestrelSandbox& k, const MailSetup& setup) {
        k.Write("Kestrel.ini", Ini(setup));
        const ULONGLONG start = GetTickCount64();
        WatchedRun run = RunWatched(k, "/sendreport", 120000);
        EXPECT_EQ(run.exitCode, 0) << run.Text();
        EXPECT_LT(GetTickCount64() - start, 90000u) << "a send ends within its 60 s time-out";
        EXPECT_FALSE(Contains(run.Text(), kPassword)) << run.Text();
        return run;
    }

    // A report that arrived through server, checked where its bytes are fixed.
    void ExpectReport(const WatchedRun& run, const std::string& server, const std::string& to,
                      bool tls) {
        const std::vector<Mail> mails = Arrived(server);
        ASSERT_EQ(mails.size(), 1u) << server << "\n" << run.Text();
        const Mail& m = mails[0];
        EXPECT_EQ(m.Header("Subject"), "Kestrel Report for " + Env("COMPUTERNAME"));
        EXPECT_TRUE(Contains(m.Header("From"), kFrom)) << m.headers;
        EXPECT_TRUE(Contains(m.Header("Reply-To"), kFrom)) << m.headers;
        EXPECT_TRUE(Contains(m.Header("To"), to)) << m.headers;
        EXPECT_EQ(m.body.substr(0, EmptyReport().size() + 4 + strlen(kFooter)),
                  EmptyReport() + "\r\n\r\n" + kFooter)
            << m.body;
        EXPECT_TRUE(Contains(m.envelope, std::string("tls=") + (tls ? "1" : "0"))) << m.envelope;
        EXPECT_TRUE(Contains(m.envelope, std::string("from=") + kFrom + "\n")) << m.envelope;
    }
};

TEST_F(MailE2E, SendReportOverPlainSmtpReachesEveryRecipient) {
    KestrelSandbox k("mail-plain");
    MailSetup setup;
    setup.to = "tech@example.com, boss@example.com";
    const WatchedRun run = SendReport(k, setup);
    ExpectReport(run, "plain", "tech@example.com", false);
    const std::vector<Mail> mails = Arrived("plain");
    ASSERT_EQ(mails.size(), 1u);
    EXPECT_TRUE(Contains(mails[0].envelope, "rcpt=tech@example.com\nrcpt=boss@example.com\n"))
        << mails[0].envelope;
    EXPECT_FALSE(k.Exists("Kestrel_Report.txt"));  // sending is instead of writing
}

TEST_F(MailE2E, SendReportOverTlsWithTheTrustedAuthority) {
    // STARTTLS when the server offers it; implicit TLS when the port is "465" (the product
    // decides by that port text alone, so that case needs the real port 465).
    KestrelSandbox k("mail-tls");
    MailSetup setup;
    setup.server = "starttls";
    setup.host = "localhost";
    setup.ssl = true;
    ExpectReport(SendReport(k, setup), "starttls", "tech@example.com", true);

    if (Ports().count("implicit") == 0) {
        GTEST_SKIP() << "port 465 could not be bound: implicit TLS is not tested";
    }
    setup.server = "implicit";
    ExpectReport(SendReport(k, setup), "implicit", "tech@example.com", true);
}

TEST_F(MailE2E, AuthenticationIsAcceptedAndRefusedWithoutShowingThePassword) {
    KestrelSandbox k("mail-auth");
    MailSetup setup;
    setup.server = "auth";
    setup.auth = true;
    setup.password = "not-the-password";
    const WatchedRun refused = SendReport(k, setup);
    EXPECT_TRUE(Arrived("auth").empty());
    EXPECT_TRUE(Contains(refused.Text(), "SendEmailNow: (Resuming after error)")) << refused.Text();
    EXPECT_FALSE(Contains(refused.Text(), "not-the-password")) << refused.Text();

    setup.password = kPassword;
    ExpectReport(SendReport(k, setup), "auth", "tech@example.com", false);
    const std::vector<Mail> mails = Arrived("auth");
    ASSERT_EQ(mails.size(), 1u);
    EXPECT_TRUE(Contains(mails[0].envelope, std::string("auth=") + kUser + "\n"));
    EXPECT_FALSE(Contains(mails[0].headers + mails[0].body, kPassword));
    const std::string tries = ReadFileText(MailFolder() + "auth\\auth.txt").value_or("");
    EXPECT_TRUE(Contains(tries, "refused\n")) << tries;
    EXPECT_TRUE(Contains(tries, " ok\n")) << tries;
    for (const char* file : {"Kestrel_Log.txt", "Kestrel_Report.txt"}) {
        EXPECT_FALSE(Contains(k.Read(file).value_or(""), kPassword)) << file;
    }
}

// Each way a send can fail: no message arrives, the run ends in bounded time, the debug lines
// carry the failure.
TEST_F(MailE2E, EveryFailedSendEndsTheRunWithoutAMessage) {
    struct Case {
        const char* server;
        bool ssl;
        const char* why;  // what the debug lines say, besides the fixed error line
    };
    const Case cases[] = {
        {"untrusted", true, "not trusted"},  // signed by an authority the machine does not trust
        {"reject", false, "550"},            // MAIL FROM refused
        {"dropdata", false, ""},             // closed after the first line of the message
        {"unreachable", false, ""},          // nothing listens: refused at once
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.server);
        KestrelSandbox k(std::string("mail-") + c.server);
        MailSetup setup;
        setup.server = c.server;
        setup.ssl = c.ssl;
        setup.host = c.ssl ? "localhost" : "127.0.0.1";
        const WatchedRun run = SendReport(k, setup);
        EXPECT_TRUE(Arrived(c.server).empty());
        EXPECT_TRUE(Contains(run.Text(), "SendEmailNow: (Resuming after error)")) << run.Text();
        if (*c.why) {
            std::string lower = run.Text();
            CharLowerA(lower.data());
            EXPECT_TRUE(Contains(lower, c.why)) << run.Text();
        }
    }
}

TEST_F(MailE2E, AutoMailsTheLogOfItsUninstalls) {
    InstallNsis("toolbar");
    KestrelSandbox k("mail-auto");
    MailSetup setup;
    setup.options = "UninstallTimeout=30000\r\n";
    k.Write("Kestrel.ini", Ini(setup));
    k.Write("Kestrel.txt", "Kestrel Test Toolbar|the test toolbar\r\n");
    EXPECT_EQ(k.Run("/auto"), 0);
    EXPECT_FALSE(Registered("Kestrel Test Toolbar"));

    const std::vector<Mail> mails = Arrived("plain");
    ASSERT_EQ(mails.size(), 1u);
    EXPECT_EQ(mails[0].Header("Subject"), "Kestrel Log for " + Env("COMPUTERNAME"));
    const std::string body = mails[0].body;
    const size_t footer = body.rfind(std::string("\r\n\r\n") + kFooter);
    ASSERT_NE(footer, std::string::npos) << body;
    EXPECT_TRUE(Contains(body, "\r\n*Uninstalled:  Kestrel Test Toolbar\r\n\r\n")) << body;
    // The log file holds the same run log the mail carries.
    EXPECT_TRUE(Contains(k.Read("Kestrel_Log.txt").value_or(""), body.substr(0, footer))) << body;
}

}  // namespace
}  // namespace kestrel::e2e
