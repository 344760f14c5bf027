#include "inventory/report.h"

#include "core/context.h"
#include "core/settings.h"
#include "platform/text_file.h"

namespace kestrel {

void LogResultsOnly(Context& ctx, const AppLists& lists, bool showMsgs, bool sendEmail,
                    const MailSender& mail) {
    const std::string report = ReportText(lists);
    if (sendEmail) {
        const std::string subject = "Kestrel Report for " + ctx.os.env.Variable("computername");
        if (mail) {
            mail(subject, report, !showMsgs);
        } else {
            ctx.debug.Print("LogResultsOnly: e-mail is not available in this version.");
        }
        return;
    }
    (void)SaveTextToFile(ctx, AppPath(ctx) + kReportFileName, report, true, false);
}

}  // namespace kestrel
