#include "net/email_settings.h"

#include <optional>

#include "core/context.h"
#include "core/settings.h"
#include "net/settings_cipher.h"

namespace kestrel {
namespace {

constexpr const char* kSection = "EmailConfig";

// The decrypted text replaces value; an empty stored text or one that does not decrypt
// leaves it as it was.
void TakeDecrypted(const std::string& stored, const char* key, std::string& value) {
    if (stored.empty()) {
        return;
    }
    std::optional<std::string> plain = DecryptString(stored, key);
    if (plain) {
        value = std::move(*plain);
    }
}

void TakePlain(const std::string& stored, std::string& value) {
    if (!stored.empty()) {
        value = stored;
    }
}

}  // namespace

bool LoadEmailSettings(Context& ctx) {
    auto read = [&ctx](const char* key) {
        return ReadIniSection(ctx, ctx.settingsFile, kSection, key);
    };
    EmailSettings& email = ctx.email;
    const bool encrypted = read("UseEncryption") == "1";

    email.UseSSL = SettingFlagOn(read("UseSSL"));
    email.SMTPAuth = SettingFlagOn(read("SMTPAuth"));
    const std::string from = read("FromEmail");
    const std::string to = read("ToEmail");
    const std::string password = read("SMTPPassword");
    const std::string userName = read("SMTPUserName");
    const std::string port = read("SMTPPort");
    const std::string server = read("SMTPServer");

    if (encrypted) {
        TakeDecrypted(from, cipher_keys::kFromEmail, email.FromEmail);
        TakeDecrypted(to, cipher_keys::kToEmail, email.ToEmail);
        TakeDecrypted(password, cipher_keys::kSmtpPassword, email.SMTPPassword);
        TakeDecrypted(userName, cipher_keys::kSmtpUserName, email.SMTPUserName);
    } else {
        TakePlain(from, email.FromEmail);
        TakePlain(to, email.ToEmail);
        TakeDecrypted(password, cipher_keys::kPasswordUnencryptedMode, email.SMTPPassword);
        TakePlain(userName, email.SMTPUserName);
    }
    TakePlain(port, email.SMTPPort);
    if (encrypted) {
        TakeDecrypted(server, cipher_keys::kSmtpServer, email.SMTPServer);
    } else {
        TakePlain(server, email.SMTPServer);
    }
    return !port.empty() && !server.empty();
}

void SaveEmailSettings(Context& ctx, const EmailPage& page) {
    auto write = [&ctx](const char* key, const std::string& value) {
        WriteIni(ctx, ctx.settingsFile, kSection, key, value);
    };
    write("UseEncryption", "1");
    write("SMTPServer", EncryptString(page.server, cipher_keys::kSmtpServer));
    write("SMTPUserName", EncryptString(page.userName, cipher_keys::kSmtpUserName));
    write("SMTPPassword", EncryptString(page.password, cipher_keys::kSmtpPassword));
    write("FromEmail", EncryptString(page.from, cipher_keys::kFromEmail));
    write("ToEmail", EncryptString(page.to, cipher_keys::kToEmail));
    write("SMTPPort", page.port);
    write("SMTPAuth", std::to_string(page.authBox));
    write("UseSSL", std::to_string(page.sslBox));
}

}  // namespace kestrel
