#include "net/mail_message.h"

#include <cstdio>

#include "base/civil_date.h"
#include "base/strings.h"
#include "core/context.h"
#include "core/settings.h"

namespace kestrel {
namespace {

constexpr int64_t kSecondsFrom1601To1970 = 11644473600;
constexpr int64_t kTicksPerSecond = 10000000;
constexpr size_t kMaxHeaderLine = 78;
constexpr size_t kMaxQpLine = 76;
constexpr size_t kMaxSmtpLine = 998;
// Encoded text per encoded-word, so that "Subject: " and one word stay within 78 columns.
constexpr size_t kMaxEncodedWordText = 45;

const char* const kDays[] = {"Thu", "Fri", "Sat", "Sun", "Mon", "Tue", "Wed"};  // from 1970-01-01
const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                               "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

std::string Hex2(unsigned char c) {
    static const char* const digits = "0123456789ABCDEF";
    return {'=', digits[c >> 4], digits[c & 0xF]};
}

bool IsHostChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.';
}

// A header's text with every line break removed, so that it cannot start a header of its own.
std::string WithoutLineBreaks(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c != '\r' && c != '\n') {
            out += c;
        }
    }
    return out;
}

// Comma-separated addresses, folded before an address that would pass 78 columns.
std::string AddressList(std::string_view header, const std::vector<std::string>& addresses) {
    std::string out(header);
    size_t column = out.size();
    for (size_t i = 0; i < addresses.size(); ++i) {
        const std::string& a = addresses[i];
        if (i > 0) {
            out += ',';
            // Room for the address and the comma that may follow it.
            if (column + 2 + a.size() + 1 > kMaxHeaderLine) {
                out += "\r\n";
                column = 0;
            }
            out += ' ';
            column += 2;
        }
        out += a;
        column += a.size();
    }
    return out + "\r\n";
}

}  // namespace

bool SplitRecipients(std::string_view toEmail, std::vector<std::string>& recipients,
                     std::string& why) {
    recipients.clear();
    std::string piece;
    auto take = [&]() {
        std::string r = Trim(piece);
        piece.clear();
        if (!r.empty()) {
            recipients.push_back(std::move(r));
        }
    };
    for (char c : toEmail) {
        if (c == '\r' || c == '\n' || c == '<' || c == '>') {
            recipients.clear();
            why = "A recipient holds a line break or an angle bracket.";
            return false;
        }
        if (c == ',' || c == ';') {
            take();
        } else {
            piece += c;
        }
    }
    take();
    if (recipients.empty()) {
        why = "No recipient is set.";
        return false;
    }
    return true;
}

std::string MailDate(int64_t unixSeconds, int offsetMinutes) {
    const int64_t local = unixSeconds + int64_t{offsetMinutes} * 60;
    const int64_t days = FloorDiv(local, 86400);
    const int64_t rest = local - days * 86400;
    int64_t year = 0;
    int month = 0;
    int day = 0;
    CivilFromDays(days, year, month, day);
    const int64_t weekday = days - FloorDiv(days, 7) * 7;
    const int offset = offsetMinutes < 0 ? -offsetMinutes : offsetMinutes;
    char text[64];
    std::snprintf(text, sizeof text, "%s, %02d %s %04lld %02d:%02d:%02d %c%02d%02d", kDays[weekday],
                  day, kMonths[month - 1], static_cast<long long>(year),
                  static_cast<int>(rest / 3600), static_cast<int>(rest / 60 % 60),
                  static_cast<int>(rest % 60), offsetMinutes < 0 ? '-' : '+', offset / 60,
                  offset % 60);
    return text;
}

std::string MailDateNow(Context& ctx) {
    const int64_t now = ctx.os.clock.UnixSeconds();
    int offsetMinutes = 0;
    os::LocalTime local;
    if (ctx.os.clock.ToLocalTime((now + kSecondsFrom1601To1970) * kTicksPerSecond, local)) {
        const int64_t localSeconds = DaysFromCivil(local.year, local.month, local.day) * 86400 +
                                     local.hour * 3600 + local.minute * 60 + local.second;
        const int64_t minutes = (localSeconds - now) / 60;
        // Real zones lie within a day; anything else is a clock fault, not an offset.
        if (minutes > -24 * 60 && minutes < 24 * 60) {
            offsetMinutes = static_cast<int>(minutes);
        }
    }
    return MailDate(now, offsetMinutes);
}

std::string NewMessageId(Context& ctx, std::string_view from) {
    std::string host;
    const size_t at = from.rfind('@');
    if (at != std::string_view::npos) {
        host = Trim(from.substr(at + 1));
    }
    for (char c : host) {
        if (!IsHostChar(c)) {
            host.clear();
            break;
        }
    }
    if (host.empty()) {
        host = "localhost";
    }
    char unique[64];
    std::snprintf(unique, sizeof unique, "%llx.%x.%s",
                  static_cast<unsigned long long>(ctx.os.clock.UnixSeconds()),
                  static_cast<unsigned>(ctx.os.clock.Milliseconds()), kProgramTitle);
    return "<" + std::string(unique) + "@" + host + ">";
}

bool FitsEightBit(std::string_view body) {
    size_t lineLength = 0;
    for (size_t i = 0; i < body.size(); ++i) {
        const char c = body[i];
        if (c == '\0') {
            return false;
        }
        if (c == '\r' || c == '\n') {
            lineLength = 0;
        } else if (++lineLength > kMaxSmtpLine) {
            return false;
        }
    }
    return true;
}

std::string NormaliseLineEnds(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 32);
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r') {
            out += "\r\n";
            if (i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
        } else if (c == '\n') {
            out += "\r\n";
        } else {
            out += c;
        }
    }
    return out;
}

std::string QuotedPrintable(std::string_view text) {
    std::string out;
    size_t column = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            out += "\r\n";
            column = 0;
            ++i;
            continue;
        }
        const bool lineEndsHere =
            i + 1 == text.size() ||
            (text[i + 1] == '\r' && i + 2 < text.size() && text[i + 2] == '\n');
        const bool blank = c == ' ' || c == '\t';
        const bool literal = (c >= 33 && c <= 126 && c != '=') || (blank && !lineEndsHere);
        const std::string token = literal ? std::string(1, static_cast<char>(c)) : Hex2(c);
        // The soft break's "=" counts towards the 76.
        if (column + token.size() > kMaxQpLine - 1) {
            out += "=\r\n";
            column = 0;
        }
        out += token;
        column += token.size();
    }
    return out;
}

std::string SubjectHeaderValue(std::string_view subject) {
    std::string text;
    for (size_t i = 0; i < subject.size(); ++i) {
        const char c = subject[i];
        if (c == '\r' || c == '\n') {
            if (!text.empty() && text.back() != ' ') {
                text += ' ';
            }
            continue;
        }
        text += c;
    }
    bool plain = std::string_view("Subject: ").size() + text.size() <= kMaxHeaderLine &&
                 text.find("=?") == std::string::npos;
    for (char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u >= 0x7F) {
            plain = false;
        }
    }
    if (plain) {
        return text;
    }
    std::string out;
    std::string word;
    auto flush = [&]() {
        if (!out.empty()) {
            out += "\r\n ";
        }
        out += "=?windows-1252?Q?" + word + "?=";
        word.clear();
    };
    for (char c : text) {
        const auto u = static_cast<unsigned char>(c);
        const bool literal = (u >= '0' && u <= '9') || (u >= 'A' && u <= 'Z') ||
                             (u >= 'a' && u <= 'z') || c == '!' || c == '*' || c == '+' ||
                             c == '-' || c == '/';
        const std::string token = c == ' ' ? "_" : literal ? std::string(1, c) : Hex2(u);
        if (word.size() + token.size() > kMaxEncodedWordText) {
            flush();
        }
        word += token;
    }
    if (!word.empty() || out.empty()) {
        flush();
    }
    return out;
}

std::string BuildMailText(const MailMessage& message, bool eightBit) {
    std::string body = NormaliseLineEnds(message.body);
    if (!EndsWith(body, "\r\n")) {
        body += "\r\n";
    }
    const bool asEightBit = eightBit && FitsEightBit(body);
    const std::string from = WithoutLineBreaks(message.from);

    std::string text;
    text += "Date: " + message.date + "\r\n";
    text += "Message-ID: " + WithoutLineBreaks(message.messageId) + "\r\n";
    text += "From: " + from + "\r\n";
    text += AddressList("To: ", message.recipients);
    text += "Reply-To: " + from + "\r\n";
    text += "Subject: " + SubjectHeaderValue(message.subject) + "\r\n";
    text += "MIME-Version: 1.0\r\n";
    text += "Content-Type: text/plain; charset=windows-1252\r\n";
    text += std::string("Content-Transfer-Encoding: ") +
            (asEightBit ? "8bit" : "quoted-printable") + "\r\n";
    text += "\r\n";
    text += asEightBit ? body : QuotedPrintable(body);
    return text;
}

}  // namespace kestrel
