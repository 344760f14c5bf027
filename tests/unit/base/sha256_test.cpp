// SHA-256 against the FIPS 180-2 test vectors, fed whole and in uneven pieces.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "base/sha256.h"

namespace kestrel {
namespace {

TEST(Sha256, FipsVectorsWholeAndInPieces) {
    const struct {
        std::string message;
        const char* digest;
    } cases[] = {
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {std::string(1000000, 'a'),
         "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Sha256Hex(c.message), c.digest) << c.message.size();
        Sha256 pieces;
        for (size_t pos = 0, step = 1; pos < c.message.size(); pos += step, step = step * 3 % 97) {
            step = std::min(step, c.message.size() - pos);
            pieces.Update(c.message.data() + pos, step);
        }
        EXPECT_EQ(Sha256Hex(pieces.Final()), c.digest) << c.message.size();
    }
}

TEST(Sha256, HexDigestTextIsSixtyFourDigitsOfEitherCase) {
    EXPECT_TRUE(IsSha256Hex(std::string(64, 'a')));
    EXPECT_TRUE(IsSha256Hex("BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015ad"));
    EXPECT_FALSE(IsSha256Hex(std::string(63, 'a')));
    EXPECT_FALSE(IsSha256Hex(std::string(65, 'a')));
    EXPECT_FALSE(IsSha256Hex(std::string(63, 'a') + "g"));
    EXPECT_FALSE(IsSha256Hex(""));
}

}  // namespace
}  // namespace kestrel
