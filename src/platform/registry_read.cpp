#include <cstdint>
#include <cstdlib>

#include "base/number.h"
#include "base/strings.h"
#include "core/context.h"
#include "os/errors.h"
#include "os/owned.h"
#include "platform/registry.h"
#include "platform/registry_detail.h"

namespace kestrel {
namespace {

using os::error::kMoreData;
constexpr uint32_t kIniBuffer = 255;
// A registry value larger than this is no setting, path or list; it is not read into memory.
constexpr uint32_t kLargestValue = 16u * 1024 * 1024;

// The text of a REG_SZ as stored: without its NUL, if it has one.
std::string TextOf(std::string data) {
    if (!data.empty() && data.back() == '\0') {
        data.pop_back();
    }
    return data;
}

// A REG_MULTI_SZ as entries each followed by one NUL: the list's closing NUL (or its absence)
// does not make an entry of its own.
std::string MultiTextOf(const std::string& data) {
    std::vector<std::string> entries = Split(data, std::string(1, '\0'));
    while (!entries.empty() && entries.back().empty()) {
        entries.pop_back();
    }
    std::string text;
    for (const std::string& entry : entries) {
        text += entry;
        text += '\0';
    }
    return text;
}

int32_t LeadingInteger(const std::string& text) {
    IntegerRules rules;
    rules.leadingOnly = true;
    return static_cast<int32_t>(IntegerOrNothing(text, rules).value_or(0));
}

int32_t AsInteger(const RegData& data) {
    if (const auto* s = std::get_if<std::string>(&data)) {
        return LeadingInteger(*s);
    }
    if (const auto* b = std::get_if<bool>(&data)) {
        return *b ? -1 : 0;
    }
    return std::get<int32_t>(data);
}

bool AsBool(const RegData& data) {
    if (const auto* s = std::get_if<std::string>(&data)) {
        return EqualsNoCase(Trim(*s), "True") || LeadingInteger(*s) != 0;
    }
    if (const auto* b = std::get_if<bool>(&data)) {
        return *b;
    }
    return std::get<int32_t>(data) != 0;
}

// Reads the whole value: first its size through an empty buffer, then the data.
uint32_t QueryWhole(os::Registry& reg, os::RegKey key, const std::string& name, std::string& data,
                    uint32_t& size) {
    std::string none;
    size = 0;
    uint32_t rc = reg.QueryValue(key, name, nullptr, &none, size);
    if (rc != kMoreData || size > kLargestValue) {
        data.clear();
        return rc;
    }
    return reg.QueryValue(key, name, nullptr, &data, size);
}

uint16_t LittleEndian16(const std::string& bytes) {
    uint16_t v = 0;
    for (size_t i = 0; i < bytes.size() && i < 2; ++i) {
        v |= static_cast<uint16_t>(static_cast<unsigned char>(bytes[i]) << (8 * i));
    }
    return v;
}

int32_t LittleEndian32(const std::string& bytes) {
    uint32_t v = 0;
    for (size_t i = 0; i < bytes.size() && i < 4; ++i) {
        v |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[i])) << (8 * i);
    }
    return static_cast<int32_t>(v);
}

// The value's bytes, asked with a buffer that fits most values at once.
uint32_t QueryWithBuffer(os::Registry& reg, os::RegKey key, const std::string& name,
                         std::string& data, uint32_t& size) {
    size = 512;
    uint32_t rc = reg.QueryValue(key, name, nullptr, &data, size);
    if (rc == kMoreData && size <= kLargestValue) {
        rc = reg.QueryValue(key, name, nullptr, &data, size);
    }
    return rc;
}

// fReadValue from an INI file (topKey names the file, keyPath the section): an "S" entry as
// text, anything else as a number. The profile call's answer.
int32_t ReadIniValue(Context& ctx, const std::string& file, const std::string& section,
                     const std::string& valueName, const std::string& letter,
                     const RegData& defaultValue, RegData& value) {
    if (letter != "S") {
        return ctx.os.ini.GetInt(section, valueName, 0, file);
    }
    std::string text;
    const auto length = static_cast<int32_t>(ctx.os.ini.GetString(
        section, valueName, RegDataText(defaultValue), kIniBuffer, file, text));
    value = text;
    return length;
}

// An "S" (text) or "M" (list) value of an open key; value is set only on success. tooLarge: the
// value is larger than anything worth reading.
uint32_t ReadTextValue(os::Registry& reg, os::RegKey key, const std::string& valueName,
                       const std::string& letter, RegData& value, bool& tooLarge) {
    std::string data;
    uint32_t size = 0;
    const uint32_t rc = QueryWhole(reg, key, valueName, data, size);
    tooLarge = rc == kMoreData && size > kLargestValue;
    if (rc == 0) {
        value = letter == "S" ? TextOf(data) : MultiTextOf(data);
    }
    return rc;
}

// A "B" (Boolean, its first two bytes) or "D" (number, its first four) value of an open key;
// value is set only on success.
uint32_t ReadNumberValue(os::Registry& reg, os::RegKey key, const std::string& valueName,
                         const std::string& letter, RegData& value) {
    std::string data;
    uint32_t size = letter == "B" ? 2 : 4;
    const uint32_t rc = reg.QueryValue(key, valueName, nullptr, &data, size);
    if (rc != 0) {
        return rc;
    }
    if (letter == "B") {
        value = LittleEndian16(data) != 0;
    } else {
        value = LittleEndian32(data);
    }
    return 0;
}

// Opens the key, reads the value in the form its letter names and closes the key again.
// result follows the answer of each call as it is made; another letter reads nothing.
void ReadRegistryValue(os::Registry& reg, os::RegKey top, const ViewedPath& viewed,
                       const std::string& valueName, const std::string& letter, RegData& value,
                       int32_t& result, bool& tooLarge) {
    os::OwnedKey key(reg);
    result = static_cast<int32_t>(
        reg.OpenKey(top, viewed.keyPath, os::regaccess::kQueryValue, viewed.view, key.Out()));
    if (result != 0) {
        return;
    }
    if (letter == "S" || letter == "M") {
        result =
            static_cast<int32_t>(ReadTextValue(reg, key.Get(), valueName, letter, value, tooLarge));
    } else if (letter == "B" || letter == "D") {
        result = static_cast<int32_t>(ReadNumberValue(reg, key.Get(), valueName, letter, value));
    }
    if (result != 0) {
        return;
    }
    result = static_cast<int32_t>(key.Close());
}

// fReadValue into a variable of the caller's type.
template <class T>
int32_t ReadConverted(Context& ctx, const std::string& topKey, const std::string& keyPath,
                      const std::string& valueName, const std::string& typeLetter,
                      const T& defaultValue, T& value, T (*convert)(const RegData&)) {
    RegData data;
    int32_t result =
        fReadValue(ctx, topKey, keyPath, valueName, typeLetter, RegData(defaultValue), data);
    value = convert(data);
    return result;
}

}  // namespace

int32_t fReadValue(Context& ctx, const std::string& topKey, const std::string& keyPath,
                   const std::string& valueName, const std::string& typeLetter,
                   const RegData& defaultValue, RegData& value) {
    int32_t result = 99;
    std::string path = keyPath;
    auto logError = [&](const VbError& error) {
        ctx.debug.Error(
            "modRegistry\\fReadValue - VB ERROR: ", error,
            {"\t- Passed Key: " + topKey + "\\" + path, "\t- Passed Value: " + valueName,
             "\t- Returned Value: " + RegDataText(value),
             "\t- lResult (0 is successful): " + ToText(result)});
    };
    try {
        value = defaultValue;
        const os::RegKey top = fTopKey(ctx, topKey);
        if (top == 0) {
            return result;
        }
        const std::string letter = UCase(typeLetter);
        if (top == kIniFileTarget) {
            result = ReadIniValue(ctx, topKey, keyPath, valueName, letter, defaultValue, value);
            return result;
        }
        const ViewedPath viewed = ApplyRegistryViewRule(ctx, keyPath);
        path = viewed.keyPath;
        bool tooLarge = false;
        ReadRegistryValue(ctx.os.registry, top, viewed, valueName, letter, value, result, tooLarge);
        if (tooLarge) {
            logError({7, "Out of memory"});
        }
        return result;
    } catch (const std::exception& e) {
        logError(ExceptionError(e));
        return result;
    }
}

namespace {

// Reads the named values of an open key as texts into values. The key's name for the log is
// made only when a value is refused.
template <class ShownKey>
void ReadOpenKeyTexts(Context& ctx, os::RegKey key, const ShownKey& shownKey,
                      const std::vector<std::string>& names, std::vector<std::string>& values) {
    values.assign(names.size(), std::string());
    for (size_t i = 0; i < names.size(); ++i) {
        std::string data;
        uint32_t size = 0;
        const uint32_t read = QueryWithBuffer(ctx.os.registry, key, names[i], data, size);
        if (read == 0) {
            values[i] = TextOf(std::move(data));
        } else if (read == kMoreData) {
            ctx.debug.Error(
                "modRegistry\\fReadValue - VB ERROR: ", {7, "Out of memory"},
                {"\t- Passed Key: " + shownKey(), "\t- Passed Value: " + names[i],
                 "\t- Returned Value: ", "\t- lResult (0 is successful): " + ToText(read)});
        }
    }
}

}  // namespace

int32_t ReadTextValues(Context& ctx, const std::string& topKey, const std::string& keyPath,
                       const std::vector<std::string>& names, std::vector<std::string>& values) {
    std::vector<std::vector<std::string>> all;
    const int32_t result = ReadSubkeyTextValues(ctx, topKey, keyPath, {""}, names, all);
    values = all.empty() ? std::vector<std::string>(names.size()) : all[0];
    return result;
}

int32_t ReadSubkeyTextValues(Context& ctx, const std::string& topKey, const std::string& keyPath,
                             const std::vector<std::string>& subkeys,
                             const std::vector<std::string>& names,
                             std::vector<std::vector<std::string>>& values) {
    values.assign(subkeys.size(), std::vector<std::string>(names.size()));
    const os::RegKey top = fTopKey(ctx, topKey);
    if (top == 0) {
        return 99;
    }
    if (top == kIniFileTarget) {
        for (size_t k = 0; k < subkeys.size(); ++k) {
            const std::string section = subkeys[k].empty() ? keyPath : keyPath + "\\" + subkeys[k];
            for (size_t i = 0; i < names.size(); ++i) {
                (void)fReadValue(ctx, topKey, section, names[i], "S", std::string(), values[k][i]);
            }
        }
        return 0;
    }
    const ViewedPath viewed = ApplyRegistryViewRule(ctx, keyPath);
    os::Registry& reg = ctx.os.registry;
    os::OwnedKey parent(reg);
    const uint32_t rc =
        reg.OpenKey(top, viewed.keyPath, os::regaccess::kQueryValue, viewed.view, parent.Out());
    if (rc != 0) {
        return static_cast<int32_t>(rc);
    }
    // The parent's handle already names the key of the chosen view: on 64-bit Windows its
    // subkeys are opened in the 64-bit view, which takes their names as they stand. Asking the
    // 32-bit view again makes Wine look for a Wow6432Node below every subkey, one more trip to
    // the wineserver each.
    const os::RegView childView =
        viewed.view == os::RegView::kDefault ? os::RegView::kDefault : os::RegView::k64;
    for (size_t k = 0; k < subkeys.size(); ++k) {
        if (subkeys[k].empty()) {
            ReadOpenKeyTexts(
                ctx, parent.Get(), [&] { return topKey + "\\" + viewed.keyPath; }, names,
                values[k]);
            continue;
        }
        os::OwnedKey child(reg);
        if (reg.OpenKey(parent.Get(), subkeys[k], os::regaccess::kQueryValue, childView,
                        child.Out()) == 0) {
            ReadOpenKeyTexts(
                ctx, child.Get(),
                [&] { return topKey + "\\" + viewed.keyPath + "\\" + subkeys[k]; }, names,
                values[k]);
        }
    }
    return static_cast<int32_t>(parent.Close());
}

int32_t fReadValue(Context& ctx, const std::string& topKey, const std::string& keyPath,
                   const std::string& valueName, const std::string& typeLetter,
                   const std::string& defaultValue, std::string& value) {
    return ReadConverted(ctx, topKey, keyPath, valueName, typeLetter, defaultValue, value,
                         RegDataText);
}

int32_t fReadValue(Context& ctx, const std::string& topKey, const std::string& keyPath,
                   const std::string& valueName, const std::string& typeLetter,
                   int32_t defaultValue, int32_t& value) {
    return ReadConverted(ctx, topKey, keyPath, valueName, typeLetter, defaultValue, value,
                         AsInteger);
}

int32_t fReadValue(Context& ctx, const std::string& topKey, const std::string& keyPath,
                   const std::string& valueName, const std::string& typeLetter, bool defaultValue,
                   bool& value) {
    return ReadConverted(ctx, topKey, keyPath, valueName, typeLetter, defaultValue, value, AsBool);
}

int32_t fEnumKey(Context& ctx, const std::string& topKey, const std::string& keyPath,
                 std::string& list) {
    os::RegKey top = fTopKey(ctx, topKey);
    if (top == 0 || top == kIniFileTarget) {
        // An INI file has no subkeys: the registry would refuse the pseudo handle with 6.
        if (!list.empty()) {
            list += '\0';
        }
        return top == 0 ? 99 : 6;
    }
    ViewedPath viewed = ApplyRegistryViewRule(ctx, keyPath);
    return EnumKeyInView(ctx, top, topKey, viewed.keyPath, viewed.view, list);
}

int32_t EnumKeyInView(Context& ctx, os::RegKey top, const std::string& topKey,
                      const std::string& keyPath, os::RegView view, std::string& list) {
    int32_t result = 99;
    std::string found;
    try {
        os::Registry& reg = ctx.os.registry;
        os::OwnedKey key(reg);
        result = static_cast<int32_t>(
            reg.OpenKey(top, keyPath, os::regaccess::kEnumerateSubKeys, view, key.Out()));
        if (result != 0) {
            if (!list.empty()) {
                list += '\0';
            }
            return result;
        }
        uint32_t last = 0;
        for (uint32_t index = 0;; ++index) {
            std::string name;
            last = reg.EnumKey(key.Get(), index, name);
            if (last != 0) {
                break;
            }
            found += name;
            found += '\0';
        }
        list += found;
        list += '\0';
        if (list.size() == 1) {
            list += '\0';
        }
        result = static_cast<int32_t>(key.Close());
        ctx.debug.Print("modRegistry\\fEnumKey: ");
        ctx.debug.Print("\t- Passed Key: " + topKey + "\\" + keyPath);
        ctx.debug.Print("\t- Returned Values: " + NulsAsBars(list));
        ctx.debug.Print("\t- lResult (0 is successful): " + ToText(last));
        return result;
    } catch (const std::exception& e) {
        ctx.debug.Error("modRegistry\\fEnumKey - VB ERROR: ", ExceptionError(e),
                        {"\t- Passed Key: " + topKey + "\\" + keyPath,
                         "\t- Returned Values: " + NulsAsBars(list),
                         "\t- lResult (0 is successful): " + ToText(result)});
        return result;
    }
}

}  // namespace kestrel
