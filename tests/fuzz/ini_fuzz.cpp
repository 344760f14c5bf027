// Any bytes as the settings file: every value read through the settings layer is whole (the
// same as one read with a buffer the size of the file), bounded by the file and on one line;
// writing a value and reading it back gives it unchanged and leaves the other values as they
// were; and the number readers agree with each other on every value read.
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "base/number.h"
#include "base/strings.h"
#include "core/settings.h"
#include "support/fake_machine.h"

namespace {

using kestrel::testing::FakeMachine;

const std::string kIni = "C:\\Kestrel\\Kestrel.ini";

void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

// The settings the program reads, and the sections and keys the file itself names (a few).
std::vector<std::pair<std::string, std::string>> Queries(const std::string& input) {
    std::vector<std::pair<std::string, std::string>> queries = {
        {"Options", "LogFile"}, {"Options", "EmailResults"}, {"Options", "UninstallTimeout"}};
    std::string section;
    for (const std::string& line : kestrel::SplitLines(input)) {
        if (queries.size() >= 24) {
            break;
        }
        const std::string t = kestrel::Trim(line);
        if (t.size() >= 2 && t.front() == '[' && t.find(']') != std::string::npos) {
            section = t.substr(1, t.find(']') - 1);
            continue;
        }
        const size_t eq = line.find('=');
        if (eq != std::string::npos) {
            queries.emplace_back(section, line.substr(0, eq));
        }
    }
    return queries;
}

void CheckNumbers(const std::string& value) {
    Require(!kestrel::SettingFlagOn(value) || kestrel::CommandLineFlagOn(value));

    const kestrel::ParsedInteger whole = kestrel::ParseInteger(value);
    if (whole.status == kestrel::NumberStatus::kOk) {
        Require(whole.value >= INT32_MIN && whole.value <= INT32_MAX);
        Require(kestrel::IntegerOrNothing(value) == whole.value);
        const std::optional<double> decimal = kestrel::ParseDecimal(value);
        Require(decimal && *decimal == static_cast<double>(whole.value));
        Require(kestrel::ParseInteger(std::to_string(whole.value)).value == whole.value);
        Require(kestrel::SettingFlagOn(value) == (whole.value == 1));
    } else {
        Require(whole.value == 0 && !kestrel::IntegerOrNothing(value));
    }

    kestrel::IntegerRules narrow;
    narrow.min = 0;
    narrow.max = 300000;
    narrow.allowSign = false;
    const kestrel::ParsedInteger bounded = kestrel::ParseInteger(value, narrow);
    if (bounded.status == kestrel::NumberStatus::kOk) {
        Require(bounded.value >= 0 && bounded.value <= 300000);
        Require(whole.status == kestrel::NumberStatus::kOk && whole.value == bounded.value);
    }

    kestrel::IntegerRules leading;
    leading.leadingOnly = true;
    const kestrel::ParsedInteger lead = kestrel::ParseInteger(value, leading);
    if (whole.status != kestrel::NumberStatus::kNotANumber) {
        // A whole number is its own leading part.
        Require(lead.status == whole.status && lead.value == whole.value);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    FakeMachine m;
    m.files.AddFile(kIni, input);

    const std::vector<std::pair<std::string, std::string>> queries = Queries(input);
    std::vector<std::string> before;
    for (const auto& [section, key] : queries) {
        const std::string value = kestrel::ReadIniSection(m.ctx, kIni, section, key);
        Require(value.size() <= input.size());
        Require(value.find_first_of("\r\n") == std::string::npos);
        std::string whole;
        const uint32_t count =
            m.ctx.os.ini.GetString(section, key, "", static_cast<uint32_t>(size) + 2, kIni, whole);
        Require(count == whole.size() && whole == value);
        CheckNumbers(value);
        before.push_back(value);
    }

    // A plain value (letters, digits and a few marks, possibly longer than the first buffer).
    std::string written;
    for (char c : input) {
        if (written.size() >= 400) {
            break;
        }
        if (std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '_' || c == '-') {
            written += c;
        }
    }
    const std::string key = "FuzzWritten";
    kestrel::WriteIni(m.ctx, kIni, "Options", key, written);
    Require(kestrel::ReadIniSection(m.ctx, kIni, "Options", key) == written);
    for (size_t i = 0; i < queries.size(); ++i) {
        const auto& [section, name] = queries[i];
        if (kestrel::ContainsNoCase(name, key)) {
            continue;
        }
        Require(kestrel::ReadIniSection(m.ctx, kIni, section, name) == before[i]);
    }
    return 0;
}
