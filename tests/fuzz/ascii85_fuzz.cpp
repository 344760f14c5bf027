// Any text given to the Ascii85 decoder either fails cleanly or decodes to bytes that encode
// back to a text that decodes to the same bytes; the cipher round-trips whatever it decodes.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "net/ascii85.h"
#include "net/settings_cipher.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    std::optional<std::string> bytes = kestrel::DecodeAscii85Bytes(text);
    if (bytes) {
        std::string again = kestrel::EncodeAscii85(*bytes, size % 2 == 0);
        std::optional<std::string> back = kestrel::DecodeAscii85Bytes(again);
        if (!back || *back != *bytes) {
            std::abort();
        }
    }
    std::string stored = kestrel::EncryptString(text, kestrel::cipher_keys::kSmtpServer);
    std::optional<std::string> plain =
        kestrel::DecryptString(stored, kestrel::cipher_keys::kSmtpServer);
    if (!plain || *plain != text) {
        std::abort();
    }
    (void)kestrel::DecryptString(text, kestrel::cipher_keys::kToEmail);
    return 0;
}
