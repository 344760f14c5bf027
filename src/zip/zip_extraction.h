#pragma once
// The ZIP reader: single-disk archives whose entries are stored (method 0) or deflated
// (method 8). The central directory is trusted for nothing: every offset, size and name is
// checked before use, entries are inflated in pieces straight into their target files, and an
// entry whose name would leave the target folder is refused.

#include <cstdint>
#include <memory>
#include <string>

namespace kestrel {

class Context;

// ZipError numbers.
namespace ziperror {
inline constexpr int32_t kNoZlib = 1;             // "Zlib is not installed"
inline constexpr int32_t kNotAZip = 2;            // "The file ... is not a Zip file"
inline constexpr int32_t kNoZipOpen = 3;          // "There is no Zip File Open"
inline constexpr int32_t kUnsupportedMethod = 4;  // also encrypted entries
inline constexpr int32_t kChecksum = 5;           // "Data checksum error in ..."
inline constexpr int32_t kMissing = 10;           // "The file ... doesn't exist"
inline constexpr int32_t kExists = 11;
inline constexpr int32_t kCannotRemove = 12;
inline constexpr int32_t kCannotCreateFolder = 13;
inline constexpr int32_t kCannotWrite = 14;  // the target file could not be written
inline constexpr int32_t kUnsafeName = 20;   // absolute, drive, "..", ":" or outside the folder
inline constexpr int32_t kTooLarge = 21;     // beyond the declared size or the size limit
inline constexpr int32_t kDamaged = 22;      // a record that points outside the file
}  // namespace ziperror

// What the reader reports while it works.
class ZipEvents {
public:
    virtual ~ZipEvents() = default;
    // percent of the entries handled; setting cancel stops the extraction.
    virtual void Progress(int32_t percent, bool& cancel) {
        (void)percent;
        (void)cancel;
    }
    virtual void Status(const std::string& text) { (void)text; }
    virtual void ZipError(int32_t number, const std::string& description) {
        (void)number;
        (void)description;
    }
};

class ZipExtractionClass {
public:
    // events outlives the reader.
    ZipExtractionClass(Context& ctx, ZipEvents& events);
    ~ZipExtractionClass();  // closes the archive
    ZipExtractionClass(const ZipExtractionClass&) = delete;
    ZipExtractionClass& operator=(const ZipExtractionClass&) = delete;

    // True when the archive is open and its end-of-central-directory record was found.
    [[nodiscard]] bool OpenZip(const std::string& ZipPath);
    void CloseZip();
    // Extracts every entry below FolderPath. True only when every entry was written and the
    // run was not cancelled.
    [[nodiscard]] bool Extract(const std::string& FolderPath, bool PreservePath, bool Overwrite);
    // The linked zlib's version text.
    std::string ZLibVersion() const;
    // Whether the last Extract refused an entry as unsafe (kUnsafeName, kTooLarge, kDamaged):
    // such an archive is not handed to another unpacker.
    bool RefusedUnsafe() const;

private:
    struct State;
    std::unique_ptr<State> m;
};

}  // namespace kestrel
