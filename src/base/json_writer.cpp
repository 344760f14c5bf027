#include "base/json_writer.h"

#include "base/windows1252.h"

namespace kestrel {

std::string JsonString(std::string_view windows1252) {
    std::string out = "\"";
    for (const char c : windows1252) {
        const auto byte = static_cast<unsigned char>(c);
        const uint32_t cp = Windows1252ToUnicode(byte);
        switch (c) {
            case '"':
                out += "\\\"";
                continue;
            case '\\':
                out += "\\\\";
                continue;
            case '\n':
                out += "\\n";
                continue;
            case '\r':
                out += "\\r";
                continue;
            case '\t':
                out += "\\t";
                continue;
            default:
                break;
        }
        if (cp < 0x20 || (cp >= 0x7F && cp < 0xA0)) {
            constexpr char kHex[] = "0123456789abcdef";
            out += "\\u00";
            out += kHex[cp >> 4];
            out += kHex[cp & 0xF];
        } else {
            out += Windows1252ToUtf8(std::string_view(&c, 1));
        }
    }
    return out + "\"";
}

void JsonWriter::BeforeValue() {
    if (m_afterKey) {
        m_afterKey = false;
        return;
    }
    if (!m_hasMembers.empty()) {
        m_text += m_hasMembers.back() ? ",\n" : "\n";
        m_hasMembers.back() = true;
        m_text.append(2 * m_hasMembers.size(), ' ');
    }
}

void JsonWriter::Close(char bracket) {
    const bool any = !m_hasMembers.empty() && m_hasMembers.back();
    if (!m_hasMembers.empty()) {
        m_hasMembers.pop_back();
    }
    if (any) {
        m_text += "\n";
        m_text.append(2 * m_hasMembers.size(), ' ');
    }
    m_text += bracket;
}

JsonWriter& JsonWriter::BeginObject() {
    BeforeValue();
    m_text += '{';
    m_hasMembers.push_back(false);
    return *this;
}

JsonWriter& JsonWriter::EndObject() {
    Close('}');
    return *this;
}

JsonWriter& JsonWriter::BeginArray() {
    BeforeValue();
    m_text += '[';
    m_hasMembers.push_back(false);
    return *this;
}

JsonWriter& JsonWriter::EndArray() {
    Close(']');
    return *this;
}

JsonWriter& JsonWriter::Key(std::string_view name) {
    BeforeValue();
    m_text += JsonString(name) + ": ";
    m_afterKey = true;
    return *this;
}

JsonWriter& JsonWriter::String(std::string_view windows1252) {
    BeforeValue();
    m_text += JsonString(windows1252);
    return *this;
}

JsonWriter& JsonWriter::Bool(bool value) {
    BeforeValue();
    m_text += value ? "true" : "false";
    return *this;
}

JsonWriter& JsonWriter::Null() {
    BeforeValue();
    m_text += "null";
    return *this;
}

JsonWriter& JsonWriter::StringOrNull(std::string_view windows1252) {
    return windows1252.empty() ? Null() : String(windows1252);
}

}  // namespace kestrel
