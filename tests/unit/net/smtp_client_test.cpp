#include "net/smtp_client.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "base/base64.h"
#include "support/fake_machine.h"

namespace kestrel {
namespace {

using os::fake::FakeSmtpServer;

class SmtpClient : public ::testing::Test {
protected:
    SmtpClient() {
        m.network.Serve("mail.example.test", "25", server);
        m.network.Serve("mail.example.test", "465", server);
        job.server = "mail.example.test";
        job.port = "25";
        job.userName = "tech";
        job.password = "s3cret";
        job.from = "kestrel@example.test";
        job.recipients = {"a@example.test"};
        job.message = [this](bool eightBit) {
            eightBitArgument = eightBit;
            return body;
        };
    }

    bool Send() { return SendThroughSmtp(m.ctx, job, why); }

    testing::FakeMachine m;
    std::shared_ptr<FakeSmtpServer> server = std::make_shared<FakeSmtpServer>();
    SmtpJob job;
    std::string body = "Subject: x\r\n\r\nhello\r\n";
    bool eightBitArgument = false;
    std::string why;
};

TEST_F(SmtpClient, PlainDialogueSendsEachCommandAndTheDotStuffedMessage) {
    m.env.Set("ComputerName", "Work Shop_1.");
    job.recipients = {"a@example.test", "b@example.test"};
    body = "Subject: x\r\n\r\n.line one\r\nmiddle\r\n..two\r\n.\r\nend";
    ASSERT_TRUE(Send()) << why;
    EXPECT_EQ(m.network.AllSent(),
              "EHLO WorkShop1\r\n"
              "MAIL FROM:<kestrel@example.test>\r\n"
              "RCPT TO:<a@example.test>\r\n"
              "RCPT TO:<b@example.test>\r\n"
              "DATA\r\n"
              "Subject: x\r\n\r\n..line one\r\nmiddle\r\n...two\r\n..\r\nend\r\n.\r\n"
              "QUIT\r\n");
    EXPECT_EQ(server->data, "Subject: x\r\n\r\n..line one\r\nmiddle\r\n...two\r\n..\r\nend\r\n");
    EXPECT_TRUE(m.network.records.at(0).closedByClient);
    EXPECT_EQ(m.network.records.at(0).timeoutMs, 60000u);
    EXPECT_EQ(m.Log(), "");
}

TEST_F(SmtpClient, EightBitIsOfferedToTheMessageAndDeclaredOnlyWhenUsed) {
    struct Case {
        std::vector<std::string> extensions;
        std::string body;
        bool eightBit;
        std::string mail;
    };
    for (const Case& c : std::vector<Case>{
             {{"8BITMIME"},
              "Subject: caf\xE9\r\n\r\n",
              true,
              "MAIL FROM:<kestrel@example.test> BODY=8BITMIME"},
             {{"8BITMIME"}, "Subject: plain\r\n\r\n", true, "MAIL FROM:<kestrel@example.test>"},
             {{"SIZE 1000"}, "Subject: plain\r\n\r\n", false, "MAIL FROM:<kestrel@example.test>"},
         }) {
        server->extensions = c.extensions;
        server->commands.clear();
        body = c.body;
        ASSERT_TRUE(Send()) << why;
        EXPECT_EQ(eightBitArgument, c.eightBit) << c.mail;
        EXPECT_EQ(server->commands.at(1), c.mail);
    }
}

TEST_F(SmtpClient, HeloFollowsARefusedEhlo) {
    server->refuseEhlo = true;
    ASSERT_TRUE(Send()) << why;
    ASSERT_GE(server->commands.size(), 3u);
    EXPECT_EQ(server->commands[0], "EHLO WORKSHOP-PC");
    EXPECT_EQ(server->commands[1], "HELO WORKSHOP-PC");
    EXPECT_FALSE(eightBitArgument);
}

TEST_F(SmtpClient, StartTlsIsUsedWhenOfferedAndEhloRepeatedInside) {
    server->offerStartTls = true;
    job.useSsl = true;
    job.authenticate = true;
    ASSERT_TRUE(Send()) << why;
    const auto& record = m.network.records.at(0);
    EXPECT_TRUE(record.tls);
    EXPECT_EQ(record.sentInClear, "EHLO WORKSHOP-PC\r\nSTARTTLS\r\n");
    EXPECT_EQ(record.sentInTls.substr(0, 18), "EHLO WORKSHOP-PC\r\n");
    EXPECT_TRUE(server->authenticated);
}

TEST_F(SmtpClient, UseSslWithoutStartTlsSendsNeitherPasswordNorMail) {
    job.useSsl = true;
    job.authenticate = true;
    EXPECT_FALSE(Send());
    EXPECT_NE(why.find("STARTTLS"), std::string::npos);
    EXPECT_EQ(m.network.AllSent(), "EHLO WORKSHOP-PC\r\n");
    EXPECT_EQ(m.Log(), "\tSendThroughSmtp: " + why + "\n");
}

TEST_F(SmtpClient, Port465StartsTlsBeforeTheGreeting) {
    server->implicitTls = true;
    job.port = "465";
    job.useSsl = true;
    ASSERT_TRUE(Send()) << why;
    EXPECT_EQ(m.network.records.at(0).sentInClear, "");
    EXPECT_TRUE(server->tls);

    job.useSsl = false;  // the same server without TLS never greets
    EXPECT_FALSE(Send());
    EXPECT_NE(why.find("did not answer in time"), std::string::npos);
}

TEST_F(SmtpClient, ACertificateFailureSaysWhyAndSendsNothing) {
    server->implicitTls = true;
    server->tlsError = 0x800B010F;
    server->tlsWhy = "the certificate's name does not match the server";
    job.port = "465";
    job.useSsl = true;
    EXPECT_FALSE(Send());
    EXPECT_NE(why.find("the certificate's name does not match"), std::string::npos);
    EXPECT_EQ(m.network.AllSent(), "");
}

TEST_F(SmtpClient, AuthUsesPlainElseLoginAndARefusalNeverShowsThePassword) {
    const std::string plain = EncodeBase64(std::string("\0tech\0", 6) + "s3cret");
    struct Case {
        std::string mechanisms;
        std::string password;
        bool accepted;
        std::string firstAuthLine;
    };
    for (const Case& c : std::vector<Case>{
             {"AUTH LOGIN PLAIN", "s3cret", true, "AUTH PLAIN " + plain},
             {"AUTH LOGIN", "s3cret", true, "AUTH LOGIN"},
             {"AUTH PLAIN", "wrong-pass", false, "AUTH PLAIN"},
             {"AUTH LOGIN", "wrong-pass", false, "AUTH LOGIN"},
         }) {
        server->extensions = {c.mechanisms};
        server->commands.clear();
        m.debugOut.lines.clear();
        job.authenticate = true;
        job.password = c.password;
        EXPECT_EQ(Send(), c.accepted) << c.mechanisms << " " << why;
        ASSERT_GE(server->commands.size(), 2u);
        EXPECT_EQ(server->commands[1].substr(0, c.firstAuthLine.size()), c.firstAuthLine);
        EXPECT_EQ(server->authenticated, c.accepted);
        if (!c.accepted) {
            EXPECT_NE(why.find("535"), std::string::npos);
            for (const std::string& secret :
                 {c.password, EncodeBase64(c.password),
                  EncodeBase64(std::string("\0tech\0", 6) + c.password)}) {
                EXPECT_EQ(why.find(secret), std::string::npos) << secret;
                EXPECT_EQ(m.Log().find(secret), std::string::npos) << secret;
            }
        }
    }
}

TEST_F(SmtpClient, AnEchoedPasswordIsMaskedInTheReason) {
    server->replies["AUTH"] = "535 bad password s3cret";
    server->extensions = {"AUTH LOGIN"};
    job.authenticate = true;
    EXPECT_FALSE(Send());
    EXPECT_EQ(why.find("s3cret"), std::string::npos);
    EXPECT_EQ(m.Log().find("s3cret"), std::string::npos);
}

TEST_F(SmtpClient, EveryFailureGivesFalseWithOneDebugLineSayingWhy) {
    struct Case {
        const char* name;
        std::function<void(FakeSmtpServer&, SmtpJob&)> setup;
        const char* why;
    };
    const std::vector<Case> cases = {
        {"greeting", [](auto& s, auto&) { s.greeting = "554 go away"; }, "greeting: 554 go away"},
        {"mail", [](auto& s, auto&) { s.replies["MAIL"] = "550 5.7.1 no relay"; },
         "MAIL FROM: 550 5.7.1 no relay"},
        {"rcpt", [](auto& s, auto&) { s.replies["RCPT"] = "550 no such user"; },
         "RCPT TO <a@example.test>: 550"},
        {"data", [](auto& s, auto&) { s.replies["DATA"] = "554 no data"; }, "DATA: 554"},
        {"message", [](auto& s, auto&) { s.replies["BODY"] = "552 too big"; },
         "the message: 552 too big"},
        {"closed mid-DATA", [](auto& s, auto&) { s.closeAt = "BODY"; }, "closed the connection"},
        {"silent", [](auto& s, auto&) { s.silentAt = "MAIL"; }, "did not answer in time"},
        {"refused", [](auto&, auto& j) { j.port = "26"; }, "the connection was refused"},
        {"unknown host", [](auto&, auto& j) { j.server = "nowhere.test"; }, "name is unknown"},
        {"no code", [](auto& s, auto&) { s.greeting = "hello"; }, "bad server input"},
        {"long line", [](auto& s, auto&) { s.greeting = "220 " + std::string(5000, 'x'); },
         "longer than 4 KiB"},
        {"long reply",
         [](auto& s, auto&) {
             s.extensions = std::vector<std::string>(100, std::string(700, 'x'));
         },
         "longer than 64 KiB"},
        {"bad recipient", [](auto&, auto& j) { j.recipients = {"a@x>\r\nDATA"}; }, "not usable"},
        {"no recipient", [](auto&, auto& j) { j.recipients.clear(); }, "no recipient"},
    };
    for (const Case& c : cases) {
        testing::FakeMachine machine;
        auto fresh = std::make_shared<FakeSmtpServer>();
        machine.network.Serve("mail.example.test", "25", fresh);
        SmtpJob failing = job;
        c.setup(*fresh, failing);
        std::string reason;
        EXPECT_FALSE(SendThroughSmtp(machine.ctx, failing, reason)) << c.name;
        EXPECT_NE(reason.find(c.why), std::string::npos) << c.name << ": " << reason;
        EXPECT_EQ(machine.Log(), "\tSendThroughSmtp: " + reason + "\n") << c.name;
    }
}

}  // namespace
}  // namespace kestrel
