#include "base/base64.h"

#include <cstdint>

namespace kestrel {

std::string EncodeBase64(std::string_view bytes) {
    static constexpr char kDigits[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string text;
    text.reserve((bytes.size() + 2) / 3 * 4);
    for (size_t i = 0; i < bytes.size(); i += 3) {
        const size_t count = bytes.size() - i < 3 ? bytes.size() - i : 3;
        uint32_t group = 0;
        for (size_t k = 0; k < 3; ++k) {
            group <<= 8;
            if (k < count) {
                group |= static_cast<unsigned char>(bytes[i + k]);
            }
        }
        for (size_t k = 0; k < 4; ++k) {
            text += k <= count ? kDigits[(group >> (18 - 6 * k)) & 0x3F] : '=';
        }
    }
    return text;
}

}  // namespace kestrel
