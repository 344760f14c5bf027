#include "zip/zip_unpack.h"

#include <zlib.h>

#include <algorithm>
#include <memory>

#include "zip/zip_directory.h"

namespace kestrel {
namespace {

constexpr size_t kInChunk = 64 * 1024;
constexpr size_t kOutChunk = 256 * 1024;

class Inflater {
public:
    Inflater() { m_ok = inflateInit2(&m_stream, -MAX_WBITS) == Z_OK; }
    ~Inflater() {
        if (m_ok) {
            inflateEnd(&m_stream);
        }
    }
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;
    bool ok() const { return m_ok; }
    z_stream& stream() { return m_stream; }

private:
    z_stream m_stream{};
    bool m_ok = false;
};

// Writes what was unpacked, keeping count and CRC; false when it goes beyond the declared
// size (nothing of the excess is written) or the target fails.
class Sink {
public:
    Sink(os::WritableFile& target, uint32_t limit) : m_target(target), m_limit(limit) {}
    UnpackResult Put(const char* data, size_t count) {
        if (count > m_limit - m_written) {
            return UnpackResult::kTooLarge;
        }
        if (count == 0) {
            return UnpackResult::kOk;
        }
        if ((m_error = m_target.Append(data, count)) != 0) {
            return UnpackResult::kWriteError;
        }
        m_crc = crc32_z(m_crc, reinterpret_cast<const Bytef*>(data), count);
        m_written += count;
        return UnpackResult::kOk;
    }
    uint64_t written() const { return m_written; }
    uint32_t crc() const { return static_cast<uint32_t>(m_crc); }
    uint32_t error() const { return m_error; }

private:
    os::WritableFile& m_target;
    uint64_t m_limit;
    uint64_t m_written = 0;
    uLong m_crc = crc32_z(0, nullptr, 0);
    uint32_t m_error = 0;
};

UnpackResult Copy(os::ReadableFile& archive, const UnpackRequest& r, Sink& sink) {
    std::unique_ptr<char[]> buffer(new char[kOutChunk]);
    for (uint64_t done = 0; done < r.compressedSize;) {
        const size_t count = std::min<uint64_t>(kOutChunk, r.compressedSize - done);
        if (!ReadExactly(archive, r.dataOffset + done, buffer.get(), count)) {
            return UnpackResult::kDataError;
        }
        if (UnpackResult put = sink.Put(buffer.get(), count); put != UnpackResult::kOk) {
            return put;
        }
        done += count;
    }
    return UnpackResult::kOk;
}

UnpackResult Inflate(os::ReadableFile& archive, const UnpackRequest& r, Sink& sink) {
    Inflater inflater;
    if (!inflater.ok()) {
        return UnpackResult::kDataError;
    }
    z_stream& z = inflater.stream();
    std::unique_ptr<char[]> in(new char[kInChunk]);
    std::unique_ptr<char[]> out(new char[kOutChunk]);
    uint64_t read = 0;
    int status = Z_OK;
    bool outputFull = false;  // inflate may hold more output without needing input
    while (status != Z_STREAM_END) {
        if (z.avail_in == 0 && !outputFull) {
            if (read == r.compressedSize) {
                return UnpackResult::kDataError;  // the stream ends before its end mark
            }
            const size_t count = std::min<uint64_t>(kInChunk, r.compressedSize - read);
            if (!ReadExactly(archive, r.dataOffset + read, in.get(), count)) {
                return UnpackResult::kDataError;
            }
            read += count;
            z.next_in = reinterpret_cast<Bytef*>(in.get());
            z.avail_in = static_cast<uInt>(count);
        }
        z.next_out = reinterpret_cast<Bytef*>(out.get());
        z.avail_out = kOutChunk;
        status = inflate(&z, Z_NO_FLUSH);
        if (status != Z_OK && status != Z_STREAM_END && status != Z_BUF_ERROR) {
            return UnpackResult::kDataError;
        }
        if (status == Z_BUF_ERROR && z.avail_out == kOutChunk && z.avail_in != 0) {
            return UnpackResult::kDataError;  // no progress although input and room were given
        }
        outputFull = z.avail_out == 0;
        if (UnpackResult put = sink.Put(out.get(), kOutChunk - z.avail_out);
            put != UnpackResult::kOk) {
            return put;
        }
    }
    return UnpackResult::kOk;
}

}  // namespace

UnpackResult UnpackEntry(os::ReadableFile& archive, const UnpackRequest& request,
                         os::WritableFile& target, uint32_t& writeError) {
    Sink sink(target, request.uncompressedSize);
    UnpackResult result =
        request.deflated ? Inflate(archive, request, sink) : Copy(archive, request, sink);
    writeError = sink.error();
    if (result == UnpackResult::kOk &&
        (sink.written() != request.uncompressedSize || sink.crc() != request.crc)) {
        result = UnpackResult::kDataError;
    }
    return result;
}

}  // namespace kestrel
