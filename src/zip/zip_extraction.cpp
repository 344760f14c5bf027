#include "zip/zip_extraction.h"

#include <zlib.h>

#include <cmath>
#include <vector>

#include "core/context.h"
#include "platform/file_tests.h"
#include "zip/zip_directory.h"
#include "zip/zip_names.h"
#include "zip/zip_unpack.h"

namespace kestrel {
namespace {

constexpr uint16_t kFlagEncrypted = 0x0001;
constexpr uint16_t kFlagUtf8 = 0x0800;
constexpr uint16_t kMethodStored = 0;
constexpr uint16_t kMethodDeflated = 8;
constexpr uint32_t kZip64Marker = 0xFFFFFFFF;
// Packages are small; a larger declared size is a bomb or a damaged record.
constexpr uint32_t kSizeLimit = 1u << 30;
constexpr uint32_t kAlreadyExists = 183;

std::string WithoutTrailingBackslash(std::string path) {
    while (path.size() > 3 && path.back() == '\\') {
        path.pop_back();
    }
    return path;
}

}  // namespace

struct ZipExtractionClass::State {
    Context& ctx;
    ZipEvents& events;
    std::string zipPath;
    std::unique_ptr<os::ReadableFile> file;
    ZipEndRecord end;
    bool refusedUnsafe = false;

    void Error(int32_t number, const std::string& text) {
        if (number == ziperror::kUnsafeName || number == ziperror::kTooLarge ||
            number == ziperror::kDamaged) {
            refusedUnsafe = true;
        }
        events.ZipError(number, text);
    }

    // Creates each missing folder of relative below folder, one level after the other.
    bool MakeFolders(const std::string& folder, const std::string& relative) {
        for (size_t at = relative.find('\\'); at != std::string::npos;
             at = relative.find('\\', at + 1)) {
            if (!MakeFolder(folder + "\\" + relative.substr(0, at))) {
                return false;
            }
        }
        return true;
    }

    bool MakeFolder(const std::string& path) {
        if (DoesDirExist(ctx, path)) {
            return true;
        }
        const uint32_t error = ctx.os.files.CreateFolder(path);
        if (error != 0 && !(error == kAlreadyExists && DoesDirExist(ctx, path))) {
            Error(ziperror::kCannotCreateFolder, "Can't create the folder " + path);
            return false;
        }
        return true;
    }

    // One entry; false when it was not written as it stands in the archive.
    bool ExtractEntry(const ZipEntry& entry, const std::string& folder, bool preservePath,
                      bool overwrite);
    bool WriteEntry(const ZipEntry& entry, const std::string& target);
};

bool ZipExtractionClass::State::ExtractEntry(const ZipEntry& entry, const std::string& folder,
                                             bool preservePath, bool overwrite) {
    const ZipName name = CheckZipName(entry.name, (entry.flags & kFlagUtf8) != 0);
    if (!name.ok) {
        Error(ziperror::kUnsafeName,
              "The entry " + PrintableZipName(entry.name) + " was refused: " + name.reason);
        return false;
    }
    std::string relative = name.path;
    if (!preservePath) {
        if (name.folder) {
            return true;  // without paths a folder entry has nothing to create
        }
        relative = relative.substr(relative.rfind('\\') + 1);
    }
    events.Status("Extracting ...\\" + relative);
    if (!MakeFolders(folder, relative)) {
        return false;
    }
    const std::string target = folder + "\\" + relative;
    if (name.folder) {
        return MakeFolder(target);
    }
    if (DoesFileExist(ctx, target) || DoesDirExist(ctx, target)) {
        if (!overwrite) {
            Error(ziperror::kExists, "The file " + target + " already exists");
            return false;
        }
        if (ctx.os.files.Delete(target) != 0) {
            Error(ziperror::kCannotRemove, "Can't remove the file " + target);
            return false;
        }
    }
    return WriteEntry(entry, target);
}

bool ZipExtractionClass::State::WriteEntry(const ZipEntry& entry, const std::string& target) {
    uint64_t dataOffset = 0;
    std::string localName;
    std::string problem;
    if (!LocateData(*file, entry, dataOffset, localName, problem)) {
        Error(ziperror::kDamaged, "The entry " + PrintableZipName(entry.name) + " of " + zipPath +
                                      " is damaged: " + problem);
        return false;
    }
    const bool zip64 = entry.compressedSize == kZip64Marker ||
                       entry.uncompressedSize == kZip64Marker || entry.localOffset == kZip64Marker;
    if ((entry.flags & kFlagEncrypted) != 0 || zip64 ||
        (entry.method != kMethodStored && entry.method != kMethodDeflated)) {
        Error(ziperror::kUnsupportedMethod,
              "The compression Method for " + PrintableZipName(localName) + " is unsupported");
        return false;
    }
    if (entry.uncompressedSize > kSizeLimit) {
        Error(ziperror::kTooLarge, "The entry " + PrintableZipName(entry.name) + " declares " +
                                       std::to_string(entry.uncompressedSize) +
                                       " bytes, beyond the limit of 1 GiB");
        return false;
    }
    std::unique_ptr<os::WritableFile> out;
    if (const uint32_t error = ctx.os.files.CreateWritable(target, out); error != 0) {
        (void)ctx.os.files.Delete(target);  // whatever a failed creation may have left
        Error(ziperror::kCannotWrite,
              "Can't write the file " + target + " (error " + std::to_string(error) + ")");
        return false;
    }
    UnpackRequest request;
    request.dataOffset = dataOffset;
    request.compressedSize = entry.compressedSize;
    request.uncompressedSize = entry.uncompressedSize;
    request.crc = entry.crc;
    request.deflated = entry.method == kMethodDeflated;
    uint32_t writeError = 0;
    UnpackResult result = UnpackEntry(*file, request, *out, writeError);
    const uint32_t closeError = out->Close();
    out.reset();
    if (result == UnpackResult::kOk && closeError != 0) {
        result = UnpackResult::kWriteError;
        writeError = closeError;
    }
    if (result == UnpackResult::kOk) {
        return true;
    }
    // What was written is not the entry: it goes.
    (void)ctx.os.files.Delete(target);
    switch (result) {
        case UnpackResult::kTooLarge:
            Error(ziperror::kTooLarge, "The entry " + PrintableZipName(entry.name) +
                                           " unpacks to more than its declared " +
                                           std::to_string(entry.uncompressedSize) + " bytes");
            break;
        case UnpackResult::kWriteError:
            Error(ziperror::kCannotWrite,
                  "Can't write the file " + target + " (error " + std::to_string(writeError) + ")");
            break;
        default:
            Error(ziperror::kChecksum, "Data checksum error in " + target);
            break;
    }
    return false;
}

ZipExtractionClass::ZipExtractionClass(Context& ctx, ZipEvents& events)
    : m(std::make_unique<State>(State{ctx, events, {}, nullptr, {}, false})) {}

ZipExtractionClass::~ZipExtractionClass() {
    CloseZip();
}

bool ZipExtractionClass::OpenZip(const std::string& ZipPath) {
    m->events.Status("Opening Zip");
    CloseZip();
    m->zipPath = ZipPath;
    if (!DoesFileExist(m->ctx, ZipPath)) {
        m->Error(ziperror::kMissing, "The file " + ZipPath + " doesn't exist");
        return false;
    }
    if (m->ctx.os.files.OpenReadable(ZipPath, m->file) != 0 || !m->file ||
        !FindEndRecord(*m->file, m->end)) {
        m->file.reset();  // without its directory there is nothing to extract
        m->Error(ziperror::kNotAZip, "The file " + ZipPath + " is not a Zip file");
        return false;
    }
    m->events.Status("Zip Opened");
    return true;
}

void ZipExtractionClass::CloseZip() {
    m->end = {};
    if (m->file) {
        m->file.reset();
        m->events.Status("Zip Closed");
    }
}

bool ZipExtractionClass::Extract(const std::string& FolderPath, bool PreservePath, bool Overwrite) {
    m->refusedUnsafe = false;
    if (ZLibVersion().empty()) {
        return false;
    }
    m->events.Status("Extracting Files");
    if (!m->file) {
        m->Error(ziperror::kNoZipOpen, "There is no Zip File Open");
        return false;
    }
    const std::string folder = WithoutTrailingBackslash(FolderPath);
    if (!DoesDirExist(m->ctx, folder) && m->ctx.os.files.CreateFolder(folder) != 0) {
        m->Error(ziperror::kCannotCreateFolder, "Can't create the folder " + folder);
        return false;
    }
    if (m->end.disk != m->end.directoryDisk) {
        m->events.Status("Extraction Complete");
        return false;
    }
    std::vector<ZipEntry> entries;
    std::string problem;
    if (m->end.directoryOffset == kZip64Marker || m->end.entries == 0xFFFF) {
        m->Error(ziperror::kUnsupportedMethod,
                 "The archive " + m->zipPath + " needs ZIP64, which is unsupported");
        return false;
    }
    if (!ReadDirectory(*m->file, m->end, entries, problem)) {
        m->Error(ziperror::kDamaged, "The file " + m->zipPath + " is damaged: " + problem);
        return false;
    }
    bool allWritten = true;
    for (size_t i = 0; i < entries.size(); ++i) {
        if (!m->ExtractEntry(entries[i], folder, PreservePath, Overwrite)) {
            allWritten = false;
        }
        bool cancel = false;
        const auto percent = static_cast<int32_t>(
            std::lround(static_cast<double>(i + 1) * 100.0 / static_cast<double>(entries.size())));
        m->events.Progress(percent, cancel);
        if (cancel) {
            return false;
        }
    }
    m->events.Status("Extraction Complete");
    return allWritten;
}

std::string ZipExtractionClass::ZLibVersion() const {
    const char* version = zlibVersion();
    if (version == nullptr || version[0] != ZLIB_VERSION[0]) {
        m->events.ZipError(ziperror::kNoZlib, "Zlib is not installed");
        return {};
    }
    return version;
}

bool ZipExtractionClass::RefusedUnsafe() const {
    return m->refusedUnsafe;
}

}  // namespace kestrel
