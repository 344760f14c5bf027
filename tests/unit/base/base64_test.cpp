#include "base/base64.h"

#include <gtest/gtest.h>

namespace kestrel {
namespace {

TEST(Base64, EncodesTheStandardVectorsWithPadding) {
    const std::pair<std::string, std::string> vectors[] = {
        {"", ""},
        {"f", "Zg=="},
        {"fo", "Zm8="},
        {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="},
        {"fooba", "Zm9vYmE="},
        {"foobar", "Zm9vYmFy"},
        {std::string("\0tech\0s3cret", 12), "AHRlY2gAczNjcmV0"},
        {"\xFF\xFE\xFD", "//79"},
    };
    for (const auto& [bytes, text] : vectors) {
        EXPECT_EQ(EncodeBase64(bytes), text) << bytes;
    }
}

}  // namespace
}  // namespace kestrel
