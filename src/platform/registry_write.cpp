#include <cerrno>
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

using os::error::kInvalidParameter;
constexpr uint32_t kKeyWriteAccess = os::regaccess::kSetValue | os::regaccess::kCreateSubKey;

// The value as a 32-bit integer, as a conversion to Long would give it: a whole number with
// blanks around it; True is -1. Otherwise the run-time error the conversion raises.
bool AsLong(const RegData& data, int32_t& out, VbError& error) {
    if (const auto* n = std::get_if<int32_t>(&data)) {
        out = *n;
        return true;
    }
    if (const auto* b = std::get_if<bool>(&data)) {
        out = *b ? -1 : 0;
        return true;
    }
    const std::string text = Trim(std::get<std::string>(data));
    if (text.empty()) {
        error = {13, "Type mismatch"};
        return false;
    }
    const ParsedInteger n = ParseInteger(text);
    if (n.status == NumberStatus::kNotANumber) {
        error = {13, "Type mismatch"};
        return false;
    }
    if (n.status == NumberStatus::kOutOfRange) {
        error = {6, "Overflow"};
        return false;
    }
    out = static_cast<int32_t>(n.value);
    return true;
}

std::string Dword(int32_t value) {
    auto v = static_cast<uint32_t>(value);
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i) {
        bytes[static_cast<size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
    }
    return bytes;
}

// The current entries (empty ones dropped) and the new one, as a REG_MULTI_SZ.
std::string AppendedMulti(Context& ctx, const std::string& topKey, const std::string& keyPath,
                          const std::string& valueName, const std::string& entry) {
    std::string old;
    if (fReadValue(ctx, topKey, keyPath, valueName, "M", std::string(), old) != 0) {
        return entry + std::string(2, '\0');
    }
    std::vector<std::string> kept;
    for (const std::string& e : Split(old, std::string(1, '\0'))) {
        if (!e.empty()) {
            kept.push_back(e);
        }
    }
    // A leading separator would end the list before its first entry.
    std::string joined = Join(kept, std::string(1, '\0'));
    return (joined.empty() ? "" : joined + '\0') + entry + std::string(2, '\0');
}

}  // namespace

int32_t fWriteValue(Context& ctx, const std::string& topKey, const std::string& keyPath,
                    const std::string& valueName, const std::string& typeLetter,
                    const RegData& value) {
    int32_t result = 99;
    auto failure = [&](const VbError& error) {
        ctx.debug.Error(
            "modRegistry\\fWriteValue - VB ERROR: ", error,
            {"\t- Passed Key: " + topKey + "\\" + keyPath, "\t- Passed Value: " + valueName,
             "\t- lResult (0 is successful): " + ToText(result)});
        return result;
    };
    try {
        const os::RegKey top = fTopKey(ctx, topKey);
        const std::string letter = UCase(typeLetter);
        if (top == 0) {
            return failure({});
        }
        if (top == kIniFileTarget) {
            if (letter != "S") {
                return failure({});
            }
            result = ctx.os.ini.WriteString(keyPath, valueName, RegDataText(value), topKey) ? 1 : 0;
            return result;
        }
        os::Registry& reg = ctx.os.registry;
        os::OwnedKey key(reg);
        result = static_cast<int32_t>(
            reg.CreateKey(top, keyPath, kKeyWriteAccess, WriteView(ctx), key.Out()));
        if (result != 0) {
            return failure({});
        }
        uint32_t rc = 0;
        if (letter == "S" || letter == "E") {
            rc = reg.SetValue(key.Get(), valueName,
                              letter == "S" ? os::regtype::kSz : os::regtype::kExpandSz,
                              RegDataText(value) + std::string(1, '\0'));
        } else if (letter == "M") {
            rc = reg.SetValue(key.Get(), valueName, os::regtype::kMultiSz,
                              AppendedMulti(ctx, topKey, keyPath, valueName, RegDataText(value)));
        } else if (letter == "D") {
            int32_t number = 0;
            VbError error;
            if (!AsLong(value, number, error)) {
                result = kInvalidParameter;
                return failure(error);
            }
            rc = reg.SetValue(key.Get(), valueName, os::regtype::kDword, Dword(number));
        }
        if (rc != 0) {
            result = static_cast<int32_t>(rc);
            return result;
        }
        result = static_cast<int32_t>(key.Close());
        return result;
    } catch (const std::exception& e) {
        return failure(ExceptionError(e));
    }
}

int32_t fWriteValue(Context& ctx, const std::string& topKey, const std::string& keyPath,
                    const std::string& valueName, const std::string& typeLetter,
                    const char* value) {
    return fWriteValue(ctx, topKey, keyPath, valueName, typeLetter,
                       RegData(std::string(value == nullptr ? "" : value)));
}

}  // namespace kestrel
