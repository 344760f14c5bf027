#include "os/fake/fake_profile_strings.h"

#include <cstdlib>

#include "base/number.h"
#include "base/strings.h"

namespace kestrel::os::fake {
namespace {

std::string TrimWhite(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t')) {
        ++b;
    }
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) {
        --e;
    }
    return s.substr(b, e - b);
}

bool IsSectionLine(const std::string& line, std::string* name) {
    std::string t = TrimWhite(line);
    if (t.size() < 2 || t[0] != '[') {
        return false;
    }
    size_t close = t.find(']');
    if (close == std::string::npos) {
        return false;
    }
    if (name != nullptr) {
        *name = TrimWhite(t.substr(1, close - 1));
    }
    return true;
}

bool KeyOf(const std::string& line, std::string* key, std::string* value) {
    size_t eq = line.find('=');
    if (eq == std::string::npos) {
        return false;
    }
    *key = TrimWhite(line.substr(0, eq));
    if (value != nullptr) {
        *value = TrimWhite(line.substr(eq + 1));
    }
    return true;
}

}  // namespace

std::optional<std::string> FakeProfileStrings::Lookup(const std::string& section,
                                                      const std::string& key,
                                                      const std::string& file) {
    std::optional<std::string> content = m_files.Content(file);
    if (!content) {
        return std::nullopt;
    }
    bool inSection = false;
    for (const std::string& line : SplitLines(*content)) {
        std::string name;
        if (IsSectionLine(line, &name)) {
            inSection = EqualsNoCase(name, section);
            continue;
        }
        std::string k, v;
        if (inSection && KeyOf(line, &k, &v) && EqualsNoCase(k, key)) {
            if (v.size() >= 2 && (v[0] == '"' || v[0] == '\'') && v.back() == v[0]) {
                v = v.substr(1, v.size() - 2);
            }
            return v;
        }
    }
    return std::nullopt;
}

uint32_t FakeProfileStrings::GetString(const std::string& section, const std::string& key,
                                       const std::string& defaultValue, uint32_t bufferSize,
                                       const std::string& file, std::string& text) {
    std::string value = Lookup(section, key, file).value_or(defaultValue);
    if (bufferSize == 0) {
        text.clear();
        return 0;
    }
    if (value.size() > bufferSize - 1) {
        value.resize(bufferSize - 1);
    }
    text = value;
    return static_cast<uint32_t>(value.size());
}

int32_t FakeProfileStrings::GetInt(const std::string& section, const std::string& key,
                                   int32_t defaultValue, const std::string& file) {
    std::optional<std::string> value = Lookup(section, key, file);
    if (!value) {
        return defaultValue;
    }
    IntegerRules rules;
    rules.leadingOnly = true;
    return static_cast<int32_t>(IntegerOrNothing(*value, rules).value_or(0));
}

bool FakeProfileStrings::WriteString(const std::string& section, const std::string& key,
                                     const std::optional<std::string>& value,
                                     const std::string& file) {
    std::string content = m_files.Content(file).value_or("");
    std::vector<std::string> lines = SplitLines(content);
    int sectionAt = -1;
    int insertAt = -1;
    int keyAt = -1;
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string name;
        if (IsSectionLine(lines[i], &name)) {
            if (sectionAt >= 0 && insertAt < 0) {
                insertAt = static_cast<int>(i);
            }
            if (EqualsNoCase(name, section) && sectionAt < 0) {
                sectionAt = static_cast<int>(i);
            }
            continue;
        }
        std::string k;
        if (sectionAt >= 0 && insertAt < 0 && keyAt < 0 && KeyOf(lines[i], &k, nullptr) &&
            EqualsNoCase(k, key)) {
            keyAt = static_cast<int>(i);
        }
    }
    if (keyAt >= 0) {
        if (value) {
            lines[keyAt] = key + "=" + *value;
        } else {
            lines.erase(lines.begin() + keyAt);
        }
    } else if (value) {
        if (sectionAt < 0) {
            lines.push_back("[" + section + "]");
            lines.push_back(key + "=" + *value);
        } else {
            int at = insertAt < 0 ? static_cast<int>(lines.size()) : insertAt;
            // Keep the blank lines that separate sections after the new key.
            while (at > sectionAt + 1 && TrimWhite(lines[at - 1]).empty()) {
                --at;
            }
            lines.insert(lines.begin() + at, key + "=" + *value);
        }
    } else {
        return true;
    }
    std::string out;
    for (const std::string& line : lines) {
        out += line + "\r\n";
    }
    return m_files.Write(file, out, WriteMode::kTruncate) == 0;
}

}  // namespace kestrel::os::fake
