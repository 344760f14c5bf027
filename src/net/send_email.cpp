#include "net/send_email.h"

#include "base/strings.h"
#include "core/context.h"
#include "core/settings.h"
#include "net/email_settings.h"
#include "net/mail_message.h"
#include "net/smtp_client.h"
#include "os/user_prompts.h"

namespace kestrel {
namespace {

// The numbers of the error line: the ones the messaging component gives for a message it
// could not send and for an argument it refuses.
constexpr int kSendFailed = -2147220973;  // 0x80040213: the transport failed
constexpr int kBadArgument = 5;           // invalid procedure call or argument

// True when the process was started with arguments after the program's name.
bool StartedWithArguments(Context& ctx) {
    return !CommandArgumentsOf(ctx.os.env.CommandLine()).empty();
}

void ReportError(Context& ctx, int number, std::string description) {
    // A reason quoted from a server could echo what was sent; the password never goes out.
    const std::string& password = ctx.email.SMTPPassword;
    if (!password.empty()) {
        description = ReplaceAll(description, password, "********");
    }
    ctx.debug.Print("SendEmailNow: (Resuming after error)");
    ctx.debug.Print("- VB Error: " + std::to_string(number) + " " + description);
}

}  // namespace

std::string MailBodyWithFooter(Context& ctx, const std::string& sBody) {
    return sBody + "\r\n\r\nThis message sent by  -  " + AppVersionText(ctx, "", "");
}

bool SendEmail(Context& ctx, const std::string& sSubject, const std::string& sBody, bool bQuiet) {
    const bool quiet = bQuiet || StartedWithArguments(ctx);
    if (!LoadEmailSettings(ctx)) {
        if (!quiet) {
            (void)ctx.os.prompts.ShowMessage("Not everything is configured!", kProgramTitle,
                                             os::mb::kOkOnly);
        }
        return false;
    }
    const EmailSettings& email = ctx.email;
    if (SendEmailNow(ctx, email.FromEmail, email.ToEmail, sSubject, sBody)) {
        if (!quiet) {
            (void)ctx.os.prompts.ShowMessage("Email Sent!", kProgramTitle, os::mb::kOkOnly);
        }
        return true;
    }
    if (!quiet) {
        (void)ctx.os.prompts.ShowMessage("Sorry, I failed to send to your email!", kProgramTitle,
                                         os::mb::kOkOnly | os::mb::kIconInformation);
    }
    return false;
}

bool SendEmailNow(Context& ctx, const std::string& sFrom, const std::string& sTo,
                  const std::string& sSubject, const std::string& sBody) {
    MailMessage message;
    // A line break in the sender would start a header or an SMTP command of its own.
    message.from = ReplaceAll(ReplaceAll(sFrom, "\r", ""), "\n", "");
    message.subject = sSubject;
    message.body = MailBodyWithFooter(ctx, sBody);
    message.date = MailDateNow(ctx);
    message.messageId = NewMessageId(ctx, message.from);
    std::string why;
    if (!SplitRecipients(sTo, message.recipients, why)) {
        ReportError(ctx, kBadArgument, why);
        return false;
    }

    const EmailSettings& email = ctx.email;
    SmtpJob job;
    job.server = email.SMTPServer;
    job.port = email.SMTPPort;
    job.useSsl = email.UseSSL;
    job.authenticate = email.SMTPAuth;
    job.userName = email.SMTPUserName;
    job.password = email.SMTPPassword;
    job.from = message.from;
    job.recipients = message.recipients;
    job.message = [message](bool eightBit) { return BuildMailText(message, eightBit); };
    if (!SendThroughSmtp(ctx, job, why)) {
        ReportError(ctx, kSendFailed, why);
        return false;
    }
    return true;
}

}  // namespace kestrel
