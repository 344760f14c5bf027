#include "ui/main_window_texts.h"

#include "base/strings.h"
#include "inventory/definition_lists.h"

namespace kestrel {
namespace {

bool IsUnreserved(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '_' || c == '.' || c == '~';
}

std::string PercentEncoded(const std::string& text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size() * 3);
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (IsUnreserved(c)) {
            out += ch;
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 0xF];
        }
    }
    return out;
}

}  // namespace

NoticeLayout MakeNoticeLayout(const std::string& title, const std::string& message) {
    NoticeLayout notice;
    notice.title = {50, 15, 250, 30, title.empty() ? kOperationCompleted : title};
    notice.width = 270;
    notice.height = 50;
    if (!message.empty()) {
        notice.message = NoticeItem{50, 40, 270, 100, message};
        notice.height = 100;
    }
    return notice;
}

std::string WebSearchUrl(const std::string& displayName) {
    return "https://www.google.com/search?hl=en&q=" + PercentEncoded(Trim(displayName));
}

std::string DetailText(const AppListEntry& entry) {
    std::string text;
    for (const std::string& element : entry.data) {
        if (element.empty()) {
            continue;
        }
        if (!text.empty()) {
            text += "\r\n";
        }
        text += element;
    }
    return text;
}

}  // namespace kestrel
