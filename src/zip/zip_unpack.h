#pragma once
// One entry's data unpacked from the archive into a file being written: stored data copied,
// deflated data inflated (raw deflate), both in pieces, with the CRC-32 taken over what was
// written and the declared size enforced while writing.

#include <cstdint>

#include "os/file_system.h"

namespace kestrel {

enum class UnpackResult {
    kOk,
    kTooLarge,    // more data than the declared size
    kDataError,   // the data end early, are no deflate stream, or the CRC or size differs
    kWriteError,  // the target file took no more bytes (error in writeError)
};

struct UnpackRequest {
    uint64_t dataOffset = 0;
    uint32_t compressedSize = 0;
    uint32_t uncompressedSize = 0;
    uint32_t crc = 0;
    bool deflated = false;
};

[[nodiscard]] UnpackResult UnpackEntry(os::ReadableFile& archive, const UnpackRequest& request,
                                       os::WritableFile& target, uint32_t& writeError);

}  // namespace kestrel
