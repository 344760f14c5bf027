#pragma once
// The records of a ZIP archive's directory, read through ReadAt with every offset and length
// checked against the file: nothing is allocated from a size the archive declares.

#include <cstdint>
#include <string>
#include <vector>

#include "os/file_system.h"

namespace kestrel {

struct ZipEndRecord {
    uint64_t position = 0;  // offset of the signature
    uint16_t disk = 0;
    uint16_t directoryDisk = 0;
    uint16_t entriesOnDisk = 0;
    uint16_t entries = 0;
    uint32_t directorySize = 0;
    uint32_t directoryOffset = 0;
};

struct ZipEntry {
    std::string name;  // as stored
    uint16_t flags = 0;
    uint16_t method = 0;
    uint32_t crc = 0;
    uint32_t compressedSize = 0;
    uint32_t uncompressedSize = 0;
    uint32_t localOffset = 0;
};

// The end-of-central-directory record searched backwards over the last 22 + 65535 bytes; the
// last signature whose record and comment fit into the file wins. False when there is none.
[[nodiscard]] bool FindEndRecord(os::ReadableFile& file, ZipEndRecord& end);

// The central directory the end record describes. False with what is wrong in problem when
// a record lies outside the directory or the file, or the entry count does not fit.
[[nodiscard]] bool ReadDirectory(os::ReadableFile& file, const ZipEndRecord& end,
                                 std::vector<ZipEntry>& entries, std::string& problem);

// The offset of an entry's data behind its local header and the local name. False with the
// problem when the header is missing or it or the data lie outside the file.
[[nodiscard]] bool LocateData(os::ReadableFile& file, const ZipEntry& entry, uint64_t& dataOffset,
                              std::string& localName, std::string& problem);

// Exactly count bytes at offset, or false.
[[nodiscard]] bool ReadExactly(os::ReadableFile& file, uint64_t offset, char* buffer, size_t count);

}  // namespace kestrel
