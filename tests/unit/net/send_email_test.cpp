// SendEmail's outcome messages and the quiet rule, and SendEmailNow's error lines; a message
// that gets through, over the SMTP client and the fake network.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/settings.h"
#include "net/send_email.h"
#include "net/settings_cipher.h"
#include "os/fake/fake_network.h"
#include "support/fake_machine.h"

namespace kestrel {
namespace {

constexpr const char* kIni = "C:\\Kestrel\\Kestrel.ini";
using Message = os::fake::FakeUserPrompts::Message;

void Configure(testing::FakeMachine& m, const std::string& to) {
    auto put = [&m](const char* key, const std::string& value) {
        WriteIni(m.ctx, kIni, "EmailConfig", key, value);
    };
    put("UseEncryption", "1");
    put("SMTPServer", EncryptString("127.0.0.1", "srv4152637"));
    put("SMTPPort", "25");
    put("SMTPPassword", EncryptString("Pa55word", "pw4152637"));
    put("ToEmail", EncryptString(to, "to4152637"));
    put("SMTPAuth", "1");
}

class SendEmailTest : public ::testing::Test {
protected:
    SendEmailTest() { m.ctx.settingsFile = kIni; }
    testing::FakeMachine m;
};

TEST(SendEmail, OutcomeMessagesUnlessQuietOrStartedWithACommandLine) {
    const Message notConfigured{"Not everything is configured!", "Kestrel", 0};
    const Message failed{"Sorry, I failed to send to your email!", "Kestrel", 0x40};
    const struct {
        bool configured;
        const char* arguments;
        bool quiet;
        std::vector<Message> shown;
    } cases[] = {
        {false, "", false, {notConfigured}},
        {false, "", true, {}},
        {false, "/sendreport", false, {}},
        {true, "", false, {failed}},
        {true, "", true, {}},
        {true, "/auto", false, {}},
    };
    for (const auto& c : cases) {
        testing::FakeMachine fresh;
        fresh.ctx.settingsFile = kIni;
        if (c.configured) {
            Configure(fresh, "boss@example.org");
        }
        fresh.env.SetArguments(c.arguments);
        EXPECT_FALSE(SendEmail(fresh.ctx, "Subject", "Body", c.quiet));
        const auto& shown = fresh.prompts.messages;
        ASSERT_EQ(shown.size(), c.shown.size()) << c.configured << c.arguments << c.quiet;
        for (size_t i = 0; i < shown.size(); ++i) {
            EXPECT_EQ(shown[i].text, c.shown[i].text);
            EXPECT_EQ(shown[i].title, c.shown[i].title);
            EXPECT_EQ(shown[i].style, c.shown[i].style);
        }
    }
}

TEST_F(SendEmailTest, AFailedSendWritesTheTwoErrorLinesWithoutThePassword) {
    Configure(m, "boss@example.org");
    EXPECT_FALSE(SendEmail(m.ctx, "Subject", "Body", true));
    // The reason is the SMTP client's (over the fake network nothing connects), which may
    // also write lines of its own before these two.
    const std::vector<std::string>& lines = m.debugOut.lines;
    ASSERT_GE(lines.size(), 2u) << m.Log();
    EXPECT_EQ(lines[lines.size() - 2], "\tSendEmailNow: (Resuming after error)");
    const std::string head = "\t- VB Error: -2147220973 ";
    EXPECT_TRUE(lines.back().starts_with(head) && lines.back().size() > head.size()) << m.Log();
    EXPECT_EQ(m.ctx.email.SMTPPassword, "Pa55word");  // it was loaded, and is still not logged
    EXPECT_EQ(m.Log().find("Pa55word"), std::string::npos);
}

TEST_F(SendEmailTest, RefusedRecipientsAreAnErrorAndNothingIsSent) {
    Configure(m, "boss@example.org\r\nRCPT TO:<else@example.org>");
    EXPECT_FALSE(SendEmail(m.ctx, "Subject", "Body", true));
    EXPECT_EQ(m.Log(),
              "\tSendEmailNow: (Resuming after error)\n"
              "\t- VB Error: 5 A recipient holds a line break or an angle bracket.\n");
}

TEST_F(SendEmailTest, TheBodyEndsWithTheVersionFooter) {
    m.env.version = {2, 3, 4};
    EXPECT_EQ(MailBodyWithFooter(m.ctx, "Report"),
              "Report\r\n\r\nThis message sent by  -  Kestrel v2.3.4 ");
}

TEST_F(SendEmailTest, AMessageThatGetsThroughIsReportedSent) {
    Configure(m, "boss@example.org, second@example.org");
    WriteIni(m.ctx, kIni, "EmailConfig", "FromEmail",
             EncryptString("tech@example.org", "fr4152637"));
    WriteIni(m.ctx, kIni, "EmailConfig", "SMTPUserName", EncryptString("tech", "un4152637"));
    auto server = std::make_shared<os::fake::FakeSmtpServer>();
    server->password = "Pa55word";
    m.network.Serve("127.0.0.1", "25", server);
    EXPECT_TRUE(SendEmail(m.ctx, "Kestrel Log for WORKSHOP-PC", "*Uninstalled:  Toolbar", false));
    ASSERT_EQ(m.prompts.messages.size(), 1u);
    EXPECT_EQ(m.prompts.messages[0].text, "Email Sent!");
    EXPECT_NE(server->data.find("Subject: Kestrel Log for WORKSHOP-PC\r\n"), std::string::npos);
    EXPECT_NE(server->data.find("*Uninstalled:  Toolbar\r\n\r\nThis message sent by  -  Kestrel"),
              std::string::npos)
        << server->data;
    EXPECT_EQ(
        std::count(server->commands.begin(), server->commands.end(), "RCPT TO:<boss@example.org>") +
            std::count(server->commands.begin(), server->commands.end(),
                       "RCPT TO:<second@example.org>"),
        2);
    EXPECT_EQ(m.Log().find("Pa55word"), std::string::npos);
}

}  // namespace
}  // namespace kestrel
