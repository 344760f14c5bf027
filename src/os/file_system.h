#pragma once
// Port: files and folders, at the level of the Win32 calls the program makes. Paths are
// 8-bit text in the system code page; results are Win32 error numbers (0 success).

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace kestrel::os {

inline constexpr uint32_t kInvalidAttributes = 0xFFFFFFFF;

namespace attr {
inline constexpr uint32_t kReadOnly = 0x1;
inline constexpr uint32_t kHidden = 0x2;
inline constexpr uint32_t kSystem = 0x4;
inline constexpr uint32_t kDirectory = 0x10;
inline constexpr uint32_t kArchive = 0x20;
inline constexpr uint32_t kNormal = 0x80;
inline constexpr uint32_t kReparsePoint = 0x400;
}  // namespace attr

struct DirEntry {
    std::string name;  // the name alone, as the folder spells it
    uint32_t attributes = 0;
    uint64_t size = 0;
    int64_t creationTime = 0;  // FILETIME ticks (100 ns since 1601)
    int64_t lastWriteTime = 0;
    int64_t lastAccessTime = 0;
};

enum class WriteMode {
    kTruncate,  // create or empty the file, then write
    kAppend,    // create when missing, write at the end
    kCreateNew  // fail with 80 when the file exists
};

// A file opened for reading at any offset (an archive being unpacked).
class ReadableFile {
public:
    virtual ~ReadableFile() = default;
    // The size when the file was opened.
    virtual uint64_t Size() const = 0;
    // Up to count bytes from offset into buffer; got is 0 at or past the end. 0 or the error.
    [[nodiscard]] virtual uint32_t ReadAt(uint64_t offset, char* buffer, size_t count,
                                          size_t& got) = 0;
};

// A file created (or emptied) for writing from its first byte on, in order.
class WritableFile {
public:
    // Closes the file when Close was not called; the bytes written stay.
    virtual ~WritableFile() = default;
    [[nodiscard]] virtual uint32_t Append(const char* data, size_t count) = 0;
    // Closes the file (without forcing it to the disk); 0 or the error of the last write.
    [[nodiscard]] virtual uint32_t Close() = 0;
};

class FileSystem {
public:
    virtual ~FileSystem() = default;

    // OpenFile(path, OF_EXIST): the answer of OpenFile, -1 (HFILE_ERROR) when the path cannot
    // be opened as a file. Folders give -1.
    [[nodiscard]] virtual int32_t OpenFileExist(const std::string& path) = 0;

    // CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING) and close again; the
    // path is used as given, so callers pass the "\\?\" forms themselves.
    [[nodiscard]] virtual bool OpenForReading(const std::string& path) = 0;

    // GetFileAttributesA; kInvalidAttributes, with the error in *error, when it fails.
    virtual uint32_t Attributes(const std::string& path, uint32_t* error = nullptr) = 0;
    [[nodiscard]] virtual uint32_t SetAttributes(const std::string& path, uint32_t attributes) = 0;

    // CreateDirectoryA (one level; 183 when it exists).
    [[nodiscard]] virtual uint32_t CreateFolder(const std::string& path) = 0;
    // SHCreateDirectoryExA: every missing level (183 when it already exists).
    [[nodiscard]] virtual uint32_t CreateFolderTree(const std::string& path) = 0;
    // MakeSureDirectoryPathExists: the folders of a path that ends in "\".
    [[nodiscard]] virtual bool MakeSurePathExists(const std::string& pathWithTrailingBackslash) = 0;

    // The whole file as bytes.
    [[nodiscard]] virtual uint32_t ReadAll(const std::string& path, std::string& bytes) = 0;
    // Writes the bytes and flushes them to the disk before answering.
    [[nodiscard]] virtual uint32_t Write(const std::string& path, const std::string& bytes,
                                         WriteMode mode) = 0;
    // CreateFileW(path, GENERIC_READ, share read/write/delete, OPEN_EXISTING); 0 and the open
    // file, or the error (2, 3, 5 for a folder, 32).
    [[nodiscard]] virtual uint32_t OpenReadable(const std::string& path,
                                                std::unique_ptr<ReadableFile>& file) = 0;
    // CreateFileW(path, GENERIC_WRITE, share read, CREATE_ALWAYS); 0 and the open file, or
    // the error (3 for a missing folder, 5 for a folder or a read-only file, 32).
    [[nodiscard]] virtual uint32_t CreateWritable(const std::string& path,
                                                  std::unique_ptr<WritableFile>& file) = 0;
    // MoveFileExA(source, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH).
    [[nodiscard]] virtual uint32_t Replace(const std::string& source,
                                           const std::string& target) = 0;
    // MoveFileA: fails with 183 when the target exists.
    [[nodiscard]] virtual uint32_t Move(const std::string& source, const std::string& target) = 0;
    // DeleteFileA.
    [[nodiscard]] virtual uint32_t Delete(const std::string& path) = 0;
    // RemoveDirectoryA (the folder must be empty).
    [[nodiscard]] virtual uint32_t RemoveFolder(const std::string& path) = 0;

    // FindFirstFileA / FindNextFileA over a pattern such as "C:\dir\*.txt", "." and ".."
    // included as Windows lists them. 0 when at least one entry was found; 2 or 3 when none.
    // A link (junction or symbolic link) is listed with kReparsePoint and is not entered.
    [[nodiscard]] virtual uint32_t List(const std::string& pattern,
                                        std::vector<DirEntry>& entries) = 0;

    // CopyFileA: 80 when failIfExists and the target exists; 5 when the source or the target
    // is a folder or the target is read-only.
    [[nodiscard]] virtual uint32_t Copy(const std::string& source, const std::string& target,
                                        bool failIfExists) = 0;
    // GetTempPathA: the temporary folder with a trailing "\"; "" when the call fails.
    virtual std::string TempFolder() = 0;
    // GetTempFileNameA(folder, prefix, 0): creates an empty file named by the first three
    // characters of prefix, a hexadecimal number and ".tmp", and gives its path. 267 when
    // folder is not an existing folder.
    [[nodiscard]] virtual uint32_t CreateTempFile(const std::string& folder,
                                                  const std::string& prefix, std::string& path) = 0;
    // The file version of the version resource as "major.minor.build.revision"; "" when the
    // file has none or cannot be read.
    virtual std::string FileVersion(const std::string& path) = 0;
};

}  // namespace kestrel::os
