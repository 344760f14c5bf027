#pragma once
// A JSON document written a member at a time, indented by two blanks. Texts are taken in
// windows-1252, the program's code page, and written as UTF-8.

#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

// A text as a JSON string: quoted, with quotes, backslashes and control characters escaped.
std::string JsonString(std::string_view windows1252);

class JsonWriter {
public:
    JsonWriter& BeginObject();
    JsonWriter& EndObject();
    JsonWriter& BeginArray();
    JsonWriter& EndArray();
    // The name of the next member of the open object.
    JsonWriter& Key(std::string_view name);
    JsonWriter& String(std::string_view windows1252);
    JsonWriter& Bool(bool value);
    JsonWriter& Null();
    // A text, or null when it is empty.
    JsonWriter& StringOrNull(std::string_view windows1252);

    // The document, ending with a line break.
    std::string Text() const { return m_text + "\n"; }

private:
    void BeforeValue();
    void Close(char bracket);

    std::string m_text;
    std::vector<bool> m_hasMembers;  // one per open object or array
    bool m_afterKey = false;
};

}  // namespace kestrel
