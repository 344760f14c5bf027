// The "EmailConfig" section as the window saves it and every sending loads it.
#include <gtest/gtest.h>

#include "core/settings.h"
#include "net/email_settings.h"
#include "net/settings_cipher.h"
#include "support/fake_machine.h"

namespace kestrel {
namespace {

constexpr const char* kIni = "C:\\Kestrel\\Kestrel.ini";

class EmailSettingsTest : public ::testing::Test {
protected:
    EmailSettingsTest() { m.ctx.settingsFile = kIni; }
    void Put(const std::string& key, const std::string& value) {
        WriteIni(m.ctx, kIni, "EmailConfig", key, value);
    }
    std::string Stored(const std::string& key) {
        return ReadIniSection(m.ctx, kIni, "EmailConfig", key);
    }
    testing::FakeMachine m;
};

TEST_F(EmailSettingsTest, UnencryptedModeTakesTextsAsTheyStandButDecryptsThePassword) {
    Put("UseEncryption", "0");
    Put("SMTPServer", "mail.example.org");
    Put("SMTPPort", "25");
    Put("SMTPUserName", "tech");
    Put("SMTPPassword", EncryptString("s3cret", "4152637"));
    Put("FromEmail", "kestrel@example.org");
    Put("ToEmail", "boss@example.org");
    Put("SMTPAuth", "1");
    Put("UseSSL", "2");  // a greyed check box
    ASSERT_TRUE(LoadEmailSettings(m.ctx));
    const EmailSettings& e = m.ctx.email;
    EXPECT_EQ(e.SMTPServer, "mail.example.org");
    EXPECT_EQ(e.SMTPPort, "25");
    EXPECT_EQ(e.SMTPUserName, "tech");
    EXPECT_EQ(e.SMTPPassword, "s3cret");
    EXPECT_EQ(e.FromEmail, "kestrel@example.org");
    EXPECT_EQ(e.ToEmail, "boss@example.org");
    EXPECT_TRUE(e.SMTPAuth);
    EXPECT_FALSE(e.UseSSL);
}

TEST_F(EmailSettingsTest, EncryptedModeKeepsValuesThatAreEmptyOrDoNotDecrypt) {
    m.ctx.email.SMTPUserName = "earlier user";
    m.ctx.email.ToEmail = "earlier@example.org";
    m.ctx.email.SMTPAuth = true;
    Put("UseEncryption", "1");
    Put("SMTPServer", EncryptString("smtp.example.org", "srv4152637"));
    Put("SMTPPort", "465");
    Put("SMTPUserName", "9jqo^");  // no "~>": not a stored value
    Put("SMTPPassword", EncryptString("pw", "pw4152637"));
    Put("FromEmail", EncryptString("from@example.org", "fr4152637"));
    Put("SMTPAuth", "yes");
    Put("UseSSL", "1");
    ASSERT_TRUE(LoadEmailSettings(m.ctx));
    const EmailSettings& e = m.ctx.email;
    EXPECT_EQ(e.SMTPServer, "smtp.example.org");
    EXPECT_EQ(e.SMTPPort, "465");
    EXPECT_EQ(e.SMTPUserName, "earlier user");
    EXPECT_EQ(e.SMTPPassword, "pw");
    EXPECT_EQ(e.FromEmail, "from@example.org");
    EXPECT_EQ(e.ToEmail, "earlier@example.org");
    EXPECT_FALSE(e.SMTPAuth);
    EXPECT_TRUE(e.UseSSL);
}

TEST_F(EmailSettingsTest, ConfiguredExactlyWhenTheStoredServerAndPortTextsArePresent) {
    struct Case {
        const char* server;
        const char* port;
        bool configured;
    };
    const std::string encryptedEmpty = EncryptString("", "srv4152637");
    for (const Case& c : {Case{"", "25", false}, Case{"mail", "", false},
                          Case{encryptedEmpty.c_str(), "25", true}, Case{"9jqo^", "x", true}}) {
        Put("UseEncryption", "1");
        Put("SMTPServer", c.server);
        Put("SMTPPort", c.port);
        EXPECT_EQ(LoadEmailSettings(m.ctx), c.configured) << c.server << "|" << c.port;
    }
    Put("UseEncryption", "");
    Put("SMTPServer", "");
    Put("SMTPPort", "");
    EXPECT_FALSE(LoadEmailSettings(m.ctx));
}

TEST_F(EmailSettingsTest, SaveAlwaysEncryptsAndLoadsBackWhatTheWindowHeld) {
    Put("UseEncryption", "0");
    const EmailPage page{"smtp.example.org", "",    "pa ss", "me@example.org",
                         "a@x.org, b@y.org", "587", 1,       2};
    SaveEmailSettings(m.ctx, page);
    EXPECT_EQ(Stored("UseEncryption"), "1");
    EXPECT_EQ(Stored("SMTPUserName"), EncryptString("", "un4152637"));
    EXPECT_NE(Stored("SMTPPassword").find("~>"), std::string::npos);
    EXPECT_EQ(Stored("SMTPPassword").find("pa ss"), std::string::npos);
    EXPECT_EQ(Stored("SMTPPort"), "587");
    EXPECT_EQ(Stored("SMTPAuth"), "1");
    EXPECT_EQ(Stored("UseSSL"), "2");

    m.ctx.email.SMTPUserName = "left alone";
    ASSERT_TRUE(LoadEmailSettings(m.ctx));
    const EmailSettings& e = m.ctx.email;
    EXPECT_EQ(e.SMTPServer, page.server);
    EXPECT_EQ(e.SMTPUserName, "");  // an encrypted empty text is a value
    EXPECT_EQ(e.SMTPPassword, page.password);
    EXPECT_EQ(e.FromEmail, page.from);
    EXPECT_EQ(e.ToEmail, page.to);
    EXPECT_EQ(e.SMTPPort, page.port);
    EXPECT_TRUE(e.SMTPAuth);
    EXPECT_FALSE(e.UseSSL);
}

}  // namespace
}  // namespace kestrel
