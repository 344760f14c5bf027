// The message text as the SMTP client receives it: headers, transfer encodings, line ends,
// recipients.
#include <gtest/gtest.h>

#include "base/strings.h"
#include "net/mail_message.h"
#include "support/fake_machine.h"

namespace kestrel {
namespace {

MailMessage Simple() {
    MailMessage msg;
    msg.from = "kestrel@example.org";
    msg.recipients = {"boss@example.org", "tech@example.org"};
    msg.subject = "Kestrel Log for WORKSHOP-PC";
    msg.body = "line 1\nline 2\r\n.dot";
    msg.date = "Sun, 06 Dec 2026 08:10:47 +0000";
    msg.messageId = "<id@example.org>";
    return msg;
}

std::string Headers(const char* transfer) {
    return std::string(
               "Date: Sun, 06 Dec 2026 08:10:47 +0000\r\n"
               "Message-ID: <id@example.org>\r\n"
               "From: kestrel@example.org\r\n"
               "To: boss@example.org, tech@example.org\r\n"
               "Reply-To: kestrel@example.org\r\n"
               "Subject: Kestrel Log for WORKSHOP-PC\r\n"
               "MIME-Version: 1.0\r\n"
               "Content-Type: text/plain; charset=windows-1252\r\n"
               "Content-Transfer-Encoding: ") +
           transfer + "\r\n\r\n";
}

TEST(MailMessage, SimpleMessageByteForByteInBothTransfers) {
    const std::string body = "line 1\r\nline 2\r\n.dot\r\n";  // not dot-stuffed here
    EXPECT_EQ(BuildMailText(Simple(), true), Headers("8bit") + body);
    EXPECT_EQ(BuildMailText(Simple(), false), Headers("quoted-printable") + body);
}

TEST(MailMessage, LinesTooLongForSmtpOrNulBytesForceQuotedPrintable) {
    MailMessage msg = Simple();
    msg.body = std::string(998, 'a');
    EXPECT_NE(BuildMailText(msg, true).find("Transfer-Encoding: 8bit"), std::string::npos);
    msg.body = std::string(999, 'a');
    EXPECT_NE(BuildMailText(msg, true).find("quoted-printable"), std::string::npos);
    EXPECT_FALSE(FitsEightBit(std::string("a\0b", 3)));
    EXPECT_TRUE(FitsEightBit(std::string(998, 'a') + "\r\n" + std::string(998, 'b')));
}

TEST(MailMessage, QuotedPrintable) {
    const struct {
        std::string in, out;
    } cases[] = {
        {"a=b", "a=3Db"},
        {"end \r\nx\t", "end=20\r\nx=09"},
        {"mid space\r\n", "mid space\r\n"},
        {"caf\xE9\x80", "caf=E9=80"},
        {std::string(100, 'a'), std::string(75, 'a') + "=\r\n" + std::string(25, 'a')},
        {std::string(74, 'a') + "\xE9", std::string(74, 'a') + "=\r\n=E9"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(QuotedPrintable(c.in), c.out) << c.in;
    }
    for (const std::string& line : Split(QuotedPrintable(std::string(500, '\xFF')), "\r\n")) {
        EXPECT_LE(line.size(), 76u);
    }
}

TEST(MailMessage, SubjectIsEncodedWhenNotShortAscii) {
    const std::string x45(45, 'x');
    const struct {
        std::string in, out;
    } cases[] = {
        {"Plain", "Plain"},
        {"Caf\xE9 report", "=?windows-1252?Q?Caf=E9_report?="},
        {"a\r\nBcc: evil@x", "a Bcc: evil@x"},
        {"a =?b", "=?windows-1252?Q?a_=3D=3Fb?="},
        {std::string(80, 'x'),
         "=?windows-1252?Q?" + x45 + "?=\r\n =?windows-1252?Q?" + std::string(35, 'x') + "?="},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SubjectHeaderValue(c.in), c.out) << c.in;
    }
}

TEST(MailMessage, EveryLineEndBecomesCrLfAndNoHeaderCarriesABreak) {
    EXPECT_EQ(NormaliseLineEnds("a\rb\nc\r\nd\n\r"), "a\r\nb\r\nc\r\nd\r\n\r\n");
    MailMessage msg = Simple();
    msg.from = "me@x.org\r\nBcc: evil@y.org";
    msg.subject = "s\nBcc: evil@y.org";
    const std::string text = BuildMailText(msg, true);
    EXPECT_EQ(text.find("\r\nBcc:"), std::string::npos);
    EXPECT_NE(text.find("From: me@x.orgBcc: evil@y.org\r\n"), std::string::npos);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n') {
            ASSERT_TRUE(i > 0 && text[i - 1] == '\r') << i;
        }
    }
}

TEST(MailMessage, RecipientsSplitAtCommasAndSemicolonsAndInjectionIsRefused) {
    std::vector<std::string> r;
    std::string why;
    ASSERT_TRUE(SplitRecipients(" a@x.org, b@y.org;c@z.org , ,", r, why));
    EXPECT_EQ(r, (std::vector<std::string>{"a@x.org", "b@y.org", "c@z.org"}));
    for (const char* bad :
         {"a@x.org\r\nRCPT TO:<e@v.il>", "a@x.org\nb", "Boss <b@x.org>", " , ;", ""}) {
        EXPECT_FALSE(SplitRecipients(bad, r, why)) << bad;
        EXPECT_TRUE(r.empty());
        EXPECT_FALSE(why.empty());
    }
}

TEST(MailMessage, ToHeaderFoldsLongRecipientLists) {
    MailMessage msg = Simple();
    msg.recipients.assign(6, "someone.with.a.long.name@example.org");
    for (const std::string& line : Split(BuildMailText(msg, true), "\r\n")) {
        EXPECT_LE(line.size(), 78u) << line;
    }
}

TEST(MailMessage, DatesAndMessageIds) {
    EXPECT_EQ(MailDate(0, 0), "Thu, 01 Jan 1970 00:00:00 +0000");
    EXPECT_EQ(MailDate(1796544647, 60), "Sun, 06 Dec 2026 09:10:47 +0100");
    EXPECT_EQ(MailDate(0, -330), "Wed, 31 Dec 1969 18:30:00 -0530");

    testing::FakeMachine m;
    m.clock.unixSeconds = 1796544647;
    EXPECT_EQ(MailDateNow(m.ctx), "Sun, 06 Dec 2026 08:10:47 +0000");
    m.clock.utcOffsetMinutes = -300;
    EXPECT_EQ(MailDateNow(m.ctx), "Sun, 06 Dec 2026 03:10:47 -0500");

    const std::string id = NewMessageId(m.ctx, "me@mail.example.org");
    EXPECT_TRUE(StartsWith(id, "<") && EndsWith(id, "@mail.example.org>")) << id;
    m.clock.milliseconds += 1;
    EXPECT_NE(NewMessageId(m.ctx, "me@mail.example.org"), id);
    EXPECT_TRUE(EndsWith(NewMessageId(m.ctx, "nobody"), "@localhost>"));
    EXPECT_TRUE(EndsWith(NewMessageId(m.ctx, "x@bad host>"), "@localhost>"));
}

}  // namespace
}  // namespace kestrel
