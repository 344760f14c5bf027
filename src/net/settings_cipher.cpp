#include "net/settings_cipher.h"

#include "net/ascii85.h"

namespace kestrel {

std::string XorWithKey(std::string_view text, std::string_view key) {
    std::string out(text);
    if (key.empty()) {
        return out;
    }
    for (size_t i = 0; i < out.size(); ++i) {
        out[i] = static_cast<char>(static_cast<unsigned char>(out[i]) ^
                                   static_cast<unsigned char>(key[i % key.size()]));
    }
    return out;
}

std::string EncryptString(std::string_view plain, std::string_view key) {
    std::string wrapped = "a";
    wrapped.append(plain);
    wrapped += 'a';
    return EncodeAscii85(XorWithKey(wrapped, key), false);
}

std::optional<std::string> DecryptString(std::string_view stored, std::string_view key) {
    std::string decoded = XorWithKey(DecodeAscii85(stored), key);
    if (decoded.size() < 2) {
        return std::nullopt;
    }
    return decoded.substr(1, decoded.size() - 2);
}

}  // namespace kestrel
