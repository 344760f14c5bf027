#pragma once
// Archives byte by byte for the reader's tests and fuzz seeds: any name, flag, method or size,
// also ones that no honest writer produces.

#include <zlib.h>

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kestrel::testing {

struct CraftEntry {
    CraftEntry(std::string n, std::string d = {}, bool deflated = true)
        : name(std::move(n)), data(std::move(d)), deflate(deflated) {}
    std::string name;
    std::string data;
    bool deflate = true;
    uint16_t flags = 0;
    // Overrides of what the central directory says (the local header keeps the truth).
    std::optional<uint16_t> method;
    std::optional<uint32_t> crc;
    std::optional<uint32_t> compressedSize;
    std::optional<uint32_t> uncompressedSize;
    std::optional<uint32_t> localOffset;
};

inline std::string RawDeflate(const std::string& data) {
    z_stream z{};
    deflateInit2(&z, Z_BEST_SPEED, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&z, data.size()), '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

inline void Put16(std::string& s, uint32_t v) {
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>((v >> 8) & 0xFF);
}
inline void Put32(std::string& s, uint32_t v) {
    Put16(s, v & 0xFFFF);
    Put16(s, v >> 16);
}

inline std::string CraftZip(const std::vector<CraftEntry>& entries,
                            const std::string& comment = {}) {
    std::string body;
    std::string central;
    for (const CraftEntry& e : entries) {
        const std::string packed = e.deflate ? RawDeflate(e.data) : e.data;
        const auto crc = static_cast<uint32_t>(
            crc32(0, reinterpret_cast<const Bytef*>(e.data.data()), e.data.size()));
        const uint16_t method = e.deflate ? 8 : 0;
        const auto offset = static_cast<uint32_t>(body.size());
        Put32(body, 0x04034B50);
        Put16(body, 20);
        Put16(body, e.flags);
        Put16(body, method);
        Put32(body, 0);
        Put32(body, crc);
        Put32(body, static_cast<uint32_t>(packed.size()));
        Put32(body, static_cast<uint32_t>(e.data.size()));
        Put16(body, static_cast<uint32_t>(e.name.size()));
        Put16(body, 0);
        body += e.name + packed;

        Put32(central, 0x02014B50);
        Put16(central, 20);
        Put16(central, 20);
        Put16(central, e.flags);
        Put16(central, e.method.value_or(method));
        Put32(central, 0);
        Put32(central, e.crc.value_or(crc));
        Put32(central, e.compressedSize.value_or(static_cast<uint32_t>(packed.size())));
        Put32(central, e.uncompressedSize.value_or(static_cast<uint32_t>(e.data.size())));
        Put16(central, static_cast<uint32_t>(e.name.size()));
        Put16(central, 0);
        Put16(central, 0);
        Put16(central, 0);
        Put16(central, 0);
        Put32(central, 0);
        Put32(central, e.localOffset.value_or(offset));
        central += e.name;
    }
    std::string zip = body + central;
    Put32(zip, 0x06054B50);
    Put32(zip, 0);
    Put16(zip, static_cast<uint32_t>(entries.size()));
    Put16(zip, static_cast<uint32_t>(entries.size()));
    Put32(zip, static_cast<uint32_t>(central.size()));
    Put32(zip, static_cast<uint32_t>(body.size()));
    Put16(zip, static_cast<uint32_t>(comment.size()));
    return zip + comment;
}

}  // namespace kestrel::testing
