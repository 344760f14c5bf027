#include "zip/zip_directory.h"

#include <algorithm>

#include "zip/zip_format.h"

namespace kestrel {
namespace {

using zipformat::kCentralSignature;
using zipformat::kEndSignature;
using zipformat::kLocalSignature;
constexpr size_t kEndSize = zipformat::kEndRecordSize;
constexpr size_t kCentralSize = zipformat::kCentralHeaderSize;
constexpr size_t kLocalSize = zipformat::kLocalHeaderSize;
constexpr size_t kMaxComment = 0xFFFF;

uint16_t U16(const char* p) {
    const auto* b = reinterpret_cast<const unsigned char*>(p);
    return static_cast<uint16_t>(b[0] | (b[1] << 8));
}

uint32_t U32(const char* p) {
    const auto* b = reinterpret_cast<const unsigned char*>(p);
    return b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<uint32_t>(b[3]) << 24);
}

}  // namespace

bool ReadExactly(os::ReadableFile& file, uint64_t offset, char* buffer, size_t count) {
    size_t done = 0;
    while (done < count) {
        size_t got = 0;
        if (file.ReadAt(offset + done, buffer + done, count - done, got) != 0 || got == 0) {
            return false;
        }
        done += got;
    }
    return true;
}

bool FindEndRecord(os::ReadableFile& file, ZipEndRecord& end) {
    const uint64_t size = file.Size();
    if (size < kEndSize) {
        return false;
    }
    const uint64_t tail = std::min<uint64_t>(size, kEndSize + kMaxComment);
    const uint64_t base = size - tail;
    std::string bytes(tail, '\0');
    if (!ReadExactly(file, base, bytes.data(), bytes.size())) {
        return false;
    }
    for (size_t i = bytes.size() - kEndSize + 1; i-- > 0;) {
        const char* p = bytes.data() + i;
        if (U32(p) != kEndSignature || i + kEndSize + U16(p + 20) > bytes.size()) {
            continue;
        }
        end.position = base + i;
        end.disk = U16(p + 4);
        end.directoryDisk = U16(p + 6);
        end.entriesOnDisk = U16(p + 8);
        end.entries = U16(p + 10);
        end.directorySize = U32(p + 12);
        end.directoryOffset = U32(p + 16);
        return true;
    }
    return false;
}

bool ReadDirectory(os::ReadableFile& file, const ZipEndRecord& end, std::vector<ZipEntry>& entries,
                   std::string& problem) {
    entries.clear();
    const uint64_t first = end.directoryOffset;
    const uint64_t last = first + end.directorySize;  // no overflow: both are 32-bit
    if (last > end.position) {
        problem = "its directory lies outside the file";
        return false;
    }
    if (static_cast<uint64_t>(end.entries) * kCentralSize > end.directorySize ||
        end.entries != end.entriesOnDisk) {
        problem = "its entry count does not fit its directory";
        return false;
    }
    // The directory is at most 4 GiB but bounded by the file; read it in one piece.
    std::string dir(end.directorySize, '\0');
    if (!ReadExactly(file, first, dir.data(), dir.size())) {
        problem = "its directory cannot be read";
        return false;
    }
    entries.reserve(end.entries);
    size_t at = 0;
    for (uint32_t i = 0; i < end.entries; ++i) {
        if (dir.size() - at < kCentralSize || U32(dir.data() + at) != kCentralSignature) {
            problem = "its directory record " + std::to_string(i + 1) + " is damaged";
            return false;
        }
        const char* p = dir.data() + at;
        const size_t variable = size_t{U16(p + 28)} + U16(p + 30) + U16(p + 32);
        if (dir.size() - at - kCentralSize < variable) {
            problem = "its directory record " + std::to_string(i + 1) + " is cut off";
            return false;
        }
        ZipEntry e;
        e.flags = U16(p + 8);
        e.method = U16(p + 10);
        e.crc = U32(p + 16);
        e.compressedSize = U32(p + 20);
        e.uncompressedSize = U32(p + 24);
        e.localOffset = U32(p + 42);
        e.name.assign(p + kCentralSize, U16(p + 28));
        entries.push_back(std::move(e));
        at += kCentralSize + variable;
    }
    return true;
}

bool LocateData(os::ReadableFile& file, const ZipEntry& entry, uint64_t& dataOffset,
                std::string& localName, std::string& problem) {
    const uint64_t size = file.Size();
    char header[kLocalSize];
    if (uint64_t{entry.localOffset} + kLocalSize > size ||
        !ReadExactly(file, entry.localOffset, header, kLocalSize) ||
        U32(header) != kLocalSignature) {
        problem = "its local header is missing";
        return false;
    }
    const uint64_t nameOffset = uint64_t{entry.localOffset} + kLocalSize;
    const uint16_t nameLength = U16(header + 26);
    dataOffset = nameOffset + nameLength + U16(header + 28);
    if (dataOffset > size || size - dataOffset < entry.compressedSize) {
        problem = "its data lie outside the file";
        return false;
    }
    localName.assign(nameLength, '\0');
    if (!ReadExactly(file, nameOffset, localName.data(), nameLength)) {
        problem = "its local header is missing";
        return false;
    }
    return true;
}

}  // namespace kestrel
