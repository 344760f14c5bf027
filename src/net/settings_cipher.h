#pragma once
// The cipher that protects the e-mail settings in the settings file: the value wrapped in two
// letters "a", XORed with a repeating key, stored as Ascii85 text ending in "~>".

#include <optional>
#include <string>
#include <string_view>

namespace kestrel {

namespace cipher_keys {
inline constexpr const char* kSmtpServer = "srv4152637";
inline constexpr const char* kSmtpUserName = "un4152637";
inline constexpr const char* kSmtpPassword = "pw4152637";
inline constexpr const char* kFromEmail = "fr4152637";
inline constexpr const char* kToEmail = "to4152637";
inline constexpr const char* kPasswordUnencryptedMode = "4152637";
}  // namespace cipher_keys

// Position i (from 1) of the text is XORed with key character ((i - 1) mod length) + 1.
std::string XorWithKey(std::string_view text, std::string_view key);

// The stored form of plain under key.
std::string EncryptString(std::string_view plain, std::string_view key);

// The plain text of a stored value; nothing when the value does not decode to at least the
// two wrapping letters (the caller then leaves its setting unchanged). The wrapping letters
// are not checked: a value stored under another key gives wrong text, not an error.
std::optional<std::string> DecryptString(std::string_view stored, std::string_view key);

}  // namespace kestrel
