#pragma once
// The ZIP writer: files collected in order and written as one new archive, each deflated.

#include <cstdint>
#include <string>
#include <vector>

namespace kestrel {

class Context;

// One entry of an archive being written.
class ZipFile {
public:
    std::string name;  // as stored, "\" written as "/"
    std::string comment;
    uint16_t dosTime = 0;
    uint16_t dosDate = 0;
    uint32_t crc32 = 0;
    uint32_t compressedSize = 0;
    uint32_t uncompressedSize = 0;
    std::string data;  // the raw deflate bytes
};

class ZipClass {
public:
    explicit ZipClass(Context& ctx) : m_ctx(ctx) {}

    int32_t FileCount() const { return static_cast<int32_t>(m_files.size()); }
    void Comment(const std::string& comment) { m_comment = comment; }
    // True when the file exists and was added; FileName and Comment replace the stored name
    // (the file name without its folder) and the empty entry comment when not empty.
    [[nodiscard]] bool AddFile(const std::string& FilePath, const std::string& FileName = "",
                               const std::string& Comment = "");
    // True when the archive was written; an existing file is replaced only with Overwrite.
    [[nodiscard]] bool WriteZip(const std::string& FilePath, bool Overwrite = false);

private:
    Context& m_ctx;
    std::vector<ZipFile> m_files;
    std::string m_comment;
};

}  // namespace kestrel
