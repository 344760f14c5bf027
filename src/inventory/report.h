#pragma once
// The report of what is installed and what of it matches the blacklist.

#include <functional>
#include <string>

#include "inventory/app_list.h"

namespace kestrel {

class Context;

inline constexpr const char* kReportFileName = "Kestrel_Report.txt";

// Sends a text by e-mail: subject, body, quiet (no messages shown).
using MailSender =
    std::function<void(const std::string& subject, const std::string& body, bool quiet)>;

// Mails the report ("Kestrel Report for " & the computer's name) when sendEmail, otherwise
// replaces "Kestrel_Report.txt" beside the program with it.
void LogResultsOnly(Context& ctx, const AppLists& lists, bool showMsgs, bool sendEmail,
                    const MailSender& mail);

}  // namespace kestrel
