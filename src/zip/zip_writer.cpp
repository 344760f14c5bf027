#include "zip/zip_writer.h"

#include <zlib.h>

#include <exception>
#include <limits>
#include <memory>

#include "base/error_line.h"
#include "base/strings.h"
#include "base/strip.h"
#include "core/context.h"
#include "platform/file_tests.h"
#include "zip/zip_format.h"

namespace kestrel {
namespace {

using zipformat::kCentralHeaderSize;
using zipformat::kCentralSignature;
using zipformat::kEndSignature;
using zipformat::kLocalHeaderSize;
using zipformat::kLocalSignature;
constexpr uint16_t kVersion = 20;
constexpr uint16_t kFlags = 2;
constexpr uint16_t kDeflated = 8;
constexpr uint32_t kArchiveAttribute = 32;
// Without ZIP64 every size and offset is 32-bit and every count and length 16-bit.
constexpr uint64_t kMax32 = std::numeric_limits<uint32_t>::max();
constexpr uint64_t kMax16 = std::numeric_limits<uint16_t>::max();

void Put16(std::string& out, uint64_t value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>((value >> 8) & 0xFF);
}

void Put32(std::string& out, uint64_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, (value >> 16) & 0xFFFF);
}

// The MS-DOS date and time fields of a local time; MS-DOS counts years from 1980 to 2107 only,
// so earlier and later times are held at those ends.
void ToDosTime(const os::LocalTime& t, uint16_t& dosDate, uint16_t& dosTime) {
    if (t.year < 1980) {
        dosDate = (0 << 9) | (1 << 5) | 1;
        dosTime = 0;
        return;
    }
    if (t.year > 2107) {
        dosDate = static_cast<uint16_t>((127 << 9) | (12 << 5) | 31);
        dosTime = static_cast<uint16_t>((23 << 11) | (59 << 5) | 29);
        return;
    }
    dosDate = static_cast<uint16_t>((t.year - 1980) * 512 + t.month * 32 + t.day);
    dosTime = static_cast<uint16_t>(t.hour * 2048 + t.minute * 32 + t.second / 2);
}

// Raw deflate (no zlib header or trailer) at zlib's default level: the same bytes as the
// one-call compress with its two header and four trailer bytes dropped. False when zlib fails
// or the result would not fit a 32-bit size.
bool RawDeflate(const std::string& input, std::string& output) {
    z_stream stream{};
    if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8,
                     Z_DEFAULT_STRATEGY) != Z_OK) {
        return false;
    }
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(input.data()));
    stream.avail_in = static_cast<uInt>(input.size());
    constexpr size_t kChunk = 64 * 1024;
    char chunk[kChunk];
    int status = Z_OK;
    output.clear();
    while (status == Z_OK) {
        stream.next_out = reinterpret_cast<Bytef*>(chunk);
        stream.avail_out = kChunk;
        status = deflate(&stream, Z_FINISH);
        output.append(chunk, kChunk - stream.avail_out);
        if (output.size() > kMax32) {
            status = Z_BUF_ERROR;
        }
    }
    deflateEnd(&stream);
    return status == Z_STREAM_END;
}

// The file's last write time as MS-DOS fields; 1980-01-01 00:00 when it cannot be had.
void FileDosTime(Context& ctx, const std::string& path, uint64_t& listedSize, uint16_t& dosDate,
                 uint16_t& dosTime) {
    os::LocalTime local{1980, 1, 1, 0, 0, 0};
    std::vector<os::DirEntry> entries;
    if (ctx.os.files.List(path, entries) == 0 && entries.size() == 1) {
        listedSize = entries[0].size;
        os::LocalTime converted;
        if (ctx.os.clock.ToLocalTime(entries[0].lastWriteTime, converted)) {
            local = converted;
        }
    }
    ToDosTime(local, dosDate, dosTime);
}

void PutLocalHeader(std::string& out, const ZipFile& f) {
    Put32(out, kLocalSignature);
    Put16(out, kVersion);
    Put16(out, kFlags);
    Put16(out, kDeflated);
    Put16(out, f.dosTime);
    Put16(out, f.dosDate);
    Put32(out, f.crc32);
    Put32(out, f.compressedSize);
    Put32(out, f.uncompressedSize);
    Put16(out, f.name.size());
    Put16(out, 0);  // extra field length
    out += f.name;
}

void PutCentralHeader(std::string& out, const ZipFile& f, uint64_t localOffset) {
    Put32(out, kCentralSignature);
    Put16(out, kVersion);  // made by
    Put16(out, kVersion);  // needed
    Put16(out, kFlags);
    Put16(out, kDeflated);
    Put16(out, f.dosTime);
    Put16(out, f.dosDate);
    Put32(out, f.crc32);
    Put32(out, f.compressedSize);
    Put32(out, f.uncompressedSize);
    Put16(out, f.name.size());
    Put16(out, 0);  // extra field length
    Put16(out, f.comment.size());
    Put16(out, 0);  // disk number
    Put16(out, 0);  // internal attributes
    Put32(out, kArchiveAttribute);
    Put32(out, localOffset);
    out += f.name;
    out += f.comment;
}

// Whether the entries fit an archive without ZIP64 (sizes, offsets, counts and lengths).
bool FitsClassicZip(const std::vector<ZipFile>& files, const std::string& comment) {
    if (files.size() > kMax16 || comment.size() > kMax16) {
        return false;
    }
    uint64_t localEnd = 0;
    uint64_t directorySize = 0;
    for (const ZipFile& f : files) {
        if (f.name.size() > kMax16 || f.comment.size() > kMax16) {
            return false;
        }
        if (localEnd > kMax32) {  // this entry's local header offset
            return false;
        }
        localEnd += kLocalHeaderSize + f.name.size() + f.data.size();
        directorySize += kCentralHeaderSize + f.name.size() + f.comment.size();
    }
    return localEnd <= kMax32 && directorySize <= kMax32;
}

// Writes the whole archive to the open file; false on the first failed write.
bool WriteEntries(os::WritableFile& out, const std::vector<ZipFile>& files,
                  const std::string& comment) {
    uint64_t position = 0;
    auto write = [&](const std::string& bytes) {
        position += bytes.size();
        return out.Append(bytes.data(), bytes.size()) == 0;
    };
    std::vector<uint64_t> offsets;
    offsets.reserve(files.size());
    std::string header;
    for (const ZipFile& f : files) {
        offsets.push_back(position);
        header.clear();
        PutLocalHeader(header, f);
        if (!write(header) || !write(f.data)) {
            return false;
        }
    }
    const uint64_t directoryStart = position;
    for (size_t i = 0; i < files.size(); ++i) {
        header.clear();
        PutCentralHeader(header, files[i], offsets[i]);
        if (!write(header)) {
            return false;
        }
    }
    std::string end;
    Put32(end, kEndSignature);
    Put16(end, 0);  // this disk
    Put16(end, 0);  // directory disk
    Put16(end, files.size());
    Put16(end, files.size());
    Put32(end, position - directoryStart);
    Put32(end, directoryStart);
    Put16(end, comment.size());
    end += comment;
    return write(end) && out.Close() == 0;
}

}  // namespace

bool ZipClass::AddFile(const std::string& FilePath, const std::string& FileName,
                       const std::string& Comment) {
    try {
        if (!DoesFileExist(m_ctx, FilePath)) {
            return false;
        }
        ZipFile entry;
        uint64_t listedSize = 0;
        FileDosTime(m_ctx, FilePath, listedSize, entry.dosDate, entry.dosTime);
        if (listedSize > kMax32) {
            return false;
        }
        std::string bytes;
        if (m_ctx.os.files.ReadAll(FilePath, bytes) != 0 || bytes.size() > kMax32) {
            return false;
        }
        entry.crc32 = static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(bytes.data()),
                                                  static_cast<uInt>(bytes.size())));
        if (!RawDeflate(bytes, entry.data)) {
            return false;
        }
        entry.compressedSize = static_cast<uint32_t>(entry.data.size());
        entry.uncompressedSize = static_cast<uint32_t>(bytes.size());
        entry.name = ReplaceAll(FileName.empty() ? StripPath(FilePath) : FileName, "\\", "/");
        entry.comment = Comment;
        m_files.push_back(std::move(entry));
        return true;
    } catch (const std::exception& e) {
        m_ctx.debug.Error("modZip\\ZipClass\\AddFile VB ERROR: ", ExceptionError(e),
                          {"\t- FilePath=" + FilePath});
        return false;
    }
}

bool ZipClass::WriteZip(const std::string& FilePath, bool Overwrite) {
    std::unique_ptr<os::WritableFile> out;
    try {
        if (!FitsClassicZip(m_files, m_comment)) {
            return false;
        }
        if (DoesFileExist(m_ctx, FilePath)) {
            if (!Overwrite || m_ctx.os.files.Delete(FilePath) != 0) {
                return false;
            }
        }
        if (m_ctx.os.files.CreateWritable(FilePath, out) != 0) {
            // No file was there before, so whatever a failed creation left is ours.
            if (DoesFileExist(m_ctx, FilePath)) {
                (void)m_ctx.os.files.Delete(FilePath);
            }
            return false;
        }
        if (WriteEntries(*out, m_files, m_comment)) {
            return true;
        }
    } catch (const std::exception& e) {
        m_ctx.debug.Error("modZip\\ZipClass\\WriteZip VB ERROR: ", ExceptionError(e),
                          {"\t- FilePath=" + FilePath});
    }
    // A partial archive is never left behind.
    if (out != nullptr) {
        out.reset();
        (void)m_ctx.os.files.Delete(FilePath);
    }
    return false;
}

}  // namespace kestrel
