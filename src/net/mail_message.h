#pragma once
// One e-mail as RFC 5322 text: the headers the program always sends, a plain-text body in the
// Windows-1252 charset, 8bit or quoted-printable, CR LF line ends throughout. Dot-stuffing is
// the SMTP client's business and is not done here.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

class Context;

struct MailMessage {
    std::string from;
    std::vector<std::string> recipients;
    std::string subject;
    std::string body;
    std::string date;       // the Date header's value
    std::string messageId;  // the Message-ID header's value, angle brackets included
};

// The recipients of a "To" text: split at commas and semicolons, trimmed, empties dropped.
// False (and why says so) when one holds CR, LF, "<" or ">": such a text would write its own
// headers or commands.
[[nodiscard]] bool SplitRecipients(std::string_view toEmail, std::vector<std::string>& recipients,
                                   std::string& why);

// An RFC 5322 date ("Sun, 06 Dec 2026 08:10:47 +0100") of the UTC time unixSeconds as seen
// offsetMinutes east of UTC.
std::string MailDate(int64_t unixSeconds, int offsetMinutes);
// Now, from ctx.os.clock: the local offset when the clock can give local time, else +0000.
std::string MailDateNow(Context& ctx);
// A fresh "<unique@host>" for the sender's domain ("localhost" when it has none usable).
std::string NewMessageId(Context& ctx, std::string_view from);

// True when a body can go as 8bit: no NUL and no line longer than 998 bytes (CR LF excluded).
bool FitsEightBit(std::string_view body);
// Every line end (CR LF, bare LF, bare CR) made CR LF.
std::string NormaliseLineEnds(std::string_view text);
// Quoted-printable (RFC 2045) of text with CR LF line ends: soft breaks keep lines to 76.
std::string QuotedPrintable(std::string_view text);
// The Subject header's value: as it stands when short ASCII, else RFC 2047 encoded-words
// (=?windows-1252?Q?...?=) folded onto continuation lines. Line breaks become blanks.
std::string SubjectHeaderValue(std::string_view subject);

// The whole message: headers, an empty line, the body, ending with CR LF. eightBit tells that
// the server takes 8BITMIME; the body then goes as 8bit when it fits, else quoted-printable.
std::string BuildMailText(const MailMessage& message, bool eightBit);

}  // namespace kestrel
