#pragma once
// Port: the Windows profile-string functions over INI files.

#include <cstdint>
#include <optional>
#include <string>

namespace kestrel::os {

class ProfileStrings {
public:
    virtual ~ProfileStrings() = default;

    // GetPrivateProfileStringA with a buffer of bufferSize characters: the value (or the
    // default) cut to bufferSize - 1 characters goes to text; the answer is its length.
    virtual uint32_t GetString(const std::string& section, const std::string& key,
                               const std::string& defaultValue, uint32_t bufferSize,
                               const std::string& file, std::string& text) = 0;

    // GetPrivateProfileIntA.
    virtual int32_t GetInt(const std::string& section, const std::string& key, int32_t defaultValue,
                           const std::string& file) = 0;

    // WritePrivateProfileStringA; no value deletes the key. True on success.
    [[nodiscard]] virtual bool WriteString(const std::string& section, const std::string& key,
                                           const std::optional<std::string>& value,
                                           const std::string& file) = 0;
};

}  // namespace kestrel::os
