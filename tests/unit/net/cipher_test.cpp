#include <gtest/gtest.h>

#include <numeric>

#include "net/ascii85.h"
#include "net/settings_cipher.h"

namespace kestrel {
namespace {

std::string AllBytes() {
    std::string all(256, '\0');
    std::iota(all.begin(), all.end(), '\0');
    return all;
}

TEST(Ascii85, EncodesTheAdobeVectorsAndOnlyWholeZeroGroupsAsZ) {
    EXPECT_EQ(EncodeAscii85("Man is distinguished", false), "9jqo^BlbD-BleB1DJ+*+F(f,q~>");
    EXPECT_EQ(EncodeAscii85("sure.", false), "F*2M7/c~>");
    EXPECT_EQ(EncodeAscii85("Man ", true), "<~9jqo^~>");
    EXPECT_EQ(EncodeAscii85("", true), "<~~>");
    EXPECT_EQ(EncodeAscii85(std::string(5, '\0'), false), "z!!~>");
    EXPECT_EQ(EncodeAscii85(std::string(3, '\0'), false), "!!!!~>");
}

TEST(Ascii85, DecodingSkipsBlanksAndAcceptsDelimiters) {
    EXPECT_EQ(DecodeAscii85("<~9jqo^~>"), "Man ");
    EXPECT_EQ(DecodeAscii85(" 9j\tqo\r\n^ ~>"), "Man ");
    EXPECT_EQ(DecodeAscii85("F*2M7/c~>trailing text is never read"), "sure.");
    EXPECT_EQ(DecodeAscii85("z!!~>"), std::string(5, '\0'));
    EXPECT_EQ(DecodeAscii85("~>"), "");
    EXPECT_EQ(DecodeAscii85("9~>"), "");  // a lone remainder digit adds nothing
}

TEST(Ascii85, MalformedTextsDecodeToNothing) {
    EXPECT_FALSE(DecodeAscii85Bytes("9jqo^"));        // no terminator
    EXPECT_FALSE(DecodeAscii85Bytes("9jzqo^~>"));     // z inside a group
    EXPECT_FALSE(DecodeAscii85Bytes("9jqo^v~>"));     // above "u"
    EXPECT_FALSE(DecodeAscii85Bytes("9jqo^~x"));      // "~" not followed by ">"
    EXPECT_FALSE(DecodeAscii85Bytes("9jqo^\xE9~>"));  // an 8-bit character
    EXPECT_FALSE(DecodeAscii85Bytes("uuuuu~>"));      // more than 32 bits
    EXPECT_FALSE(DecodeAscii85Bytes(""));
    EXPECT_EQ(DecodeAscii85("9jzqo^~>"), "");
}

TEST(Ascii85, ALeadingLessThanIsADigitUnlessItOpensDelimiters) {
    // "<" is digit 27; the encoder writes it first for any first byte from 0x53 to 0x55.
    const std::string bytes = "\x55\x01\x02\x03";
    const std::string text = EncodeAscii85(bytes, false);
    ASSERT_EQ(text[0], '<');
    EXPECT_EQ(DecodeAscii85(text), bytes);
}

TEST(Ascii85, EveryByteValueRoundTripsAtEveryLength) {
    const std::string all = AllBytes();
    for (size_t length = 0; length <= 9; ++length) {
        for (size_t start = 0; start + length <= all.size(); start += 37) {
            std::string piece = all.substr(start, length);
            EXPECT_EQ(DecodeAscii85(EncodeAscii85(piece, false)), piece) << start << "+" << length;
            EXPECT_EQ(DecodeAscii85(EncodeAscii85(piece, true)), piece);
        }
    }
}

// Keys shorter than the values: the vectors also pin the key's repetition.
TEST(SettingsCipher, StoredValuesMatchKnownVectors) {
    EXPECT_EQ(EncryptString("smtp.example.com", cipher_keys::kSmtpServer),
              "&ciq:5oWm#;Ha/D',jbP?WR~>");
    EXPECT_EQ(EncryptString("", cipher_keys::kSmtpPassword), "&Jb~>");
    EXPECT_EQ(EncryptString("tech@example.com", cipher_keys::kToEmail),
              "'cU\"J?#ik:<Z)u]<#\\\\;?<.~>");
    EXPECT_EQ(EncryptString("secret", cipher_keys::kPasswordUnencryptedMode), "<C0MZ6rlZT~>");
}

TEST(SettingsCipher, EveryValueRoundTripsAsOneUndelimitedLine) {
    const char* key = cipher_keys::kFromEmail;
    for (const std::string& plain :
         {std::string(), AllBytes(), std::string("a"), std::string(key), std::string(33, 'x')}) {
        const std::string stored = EncryptString(plain, key);
        EXPECT_TRUE(stored.ends_with("~>") && !stored.starts_with("<~")) << stored;
        EXPECT_EQ(stored.find_first_of(" \r\n\t"), std::string::npos);
        EXPECT_EQ(DecryptString(stored, key), plain);
    }
}

TEST(SettingsCipher, UnreadableStoredValuesAreRefused) {
    EXPECT_FALSE(DecryptString("not ascii85 at all", cipher_keys::kToEmail));
    EXPECT_FALSE(DecryptString("", cipher_keys::kToEmail));
    EXPECT_FALSE(DecryptString("!!~>", cipher_keys::kToEmail));  // one byte: nothing to unwrap
    // Delimited and spread-out stored values are still read.
    EXPECT_EQ(DecryptString("<~&ciq:5oWm#;Ha/D',jbP?WR~>", cipher_keys::kSmtpServer),
              "smtp.example.com");
    EXPECT_EQ(DecryptString("&ciq:5oWm#; Ha/D',\r\njbP?WR~>", cipher_keys::kSmtpServer),
              "smtp.example.com");
    // The wrong key gives wrong text, not an error.
    std::optional<std::string> wrong = DecryptString("&ciq:5oWm#;Ha/D',jbP?WR~>", "other");
    ASSERT_TRUE(wrong);
    EXPECT_NE(*wrong, "smtp.example.com");
}

}  // namespace
}  // namespace kestrel
