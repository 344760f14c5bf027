#pragma once
// SHA-256 (FIPS 180-2), for checking a downloaded package against the digest its index names.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kestrel {

class Sha256 {
public:
    Sha256();
    void Update(const void* data, size_t count);
    // The digest of everything given; the object is used up afterwards.
    std::array<uint8_t, 32> Final();

private:
    void Block(const uint8_t* block);

    std::array<uint32_t, 8> m_state;
    std::array<uint8_t, 64> m_buffer{};
    size_t m_buffered = 0;
    uint64_t m_length = 0;  // bytes
};

// The digest as 64 lower-case hexadecimal digits.
std::string Sha256Hex(const std::array<uint8_t, 32>& digest);
std::string Sha256Hex(std::string_view data);

// True for exactly 64 hexadecimal digits of either case.
bool IsSha256Hex(std::string_view text);

}  // namespace kestrel
