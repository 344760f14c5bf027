// clsFSO: drives, existence tests and folder creation.
#include <cctype>

#include "base/strings.h"
#include "core/context.h"
#include "platform/file_tests.h"
#include "platform/fso.h"
#include "platform/path_forms.h"

namespace kestrel {
namespace {

// "X:\" for a text that begins with a drive letter; "" otherwise.
std::string DriveRoot(const std::string& drive) {
    if (drive.empty() || !std::isalpha(static_cast<unsigned char>(drive[0]))) {
        return {};
    }
    return UCase(drive.substr(0, 1)) + ":\\";
}

FsoDriveType FsoTypeOf(uint32_t windowsType) {
    switch (windowsType) {
        case os::drive_type::kRemovable:
            return FsoDriveType::kRemovable;
        case os::drive_type::kFixed:
            return FsoDriveType::kFixed;
        case os::drive_type::kRemote:
            return FsoDriveType::kNetwork;
        case os::drive_type::kCdRom:
            return FsoDriveType::kCdRom;
        case os::drive_type::kRamDisk:
            return FsoDriveType::kRamDisk;
        default:
            return FsoDriveType::kUnknown;
    }
}

}  // namespace

bool clsFSO::IsDriveReady(const std::string& drive) {
    const std::string root = DriveRoot(drive);
    return !root.empty() && m_ctx.os.volumes.IsReady(root);
}

bool clsFSO::Drive_Exist(const std::string& drive, FsoDriveType& driveType) {
    if (drive.size() < 2 || drive[1] != ':') {
        return false;
    }
    const std::string root = DriveRoot(drive);
    if (root.empty()) {
        return false;
    }
    bool exists = false;
    for (const std::string& present : m_ctx.os.volumes.LogicalDrives()) {
        exists = exists || EqualsNoCase(present, root);
    }
    if (!exists) {
        return false;
    }
    driveType = FsoTypeOf(m_ctx.os.volumes.DriveType(root));
    return m_ctx.os.volumes.IsReady(root);
}

bool clsFSO::Folder_Exist(const std::string& folder) {
    std::string path = Remove_Trailing_Slash(folder);
    if (path.size() == 2 && path[1] == ':') {
        path += '\\';
    }
    if (!IsAbsolutePath(path)) {
        return false;
    }
    RedirectionOff off(m_ctx.redirection);
    const uint32_t attributes = m_ctx.os.files.Attributes(path);
    return attributes != os::kInvalidAttributes && (attributes & os::attr::kDirectory) != 0;
}

bool clsFSO::File_Exist(const std::string& path) {
    FsoDriveType type = FsoDriveType::kUnknown;
    if (path.empty() || !Drive_Exist(path, type)) {
        return false;
    }
    if (path.size() > 3 && !Folder_Exist(Get_Path(path))) {
        return false;
    }
    if (!IsAbsolutePath(path)) {
        return false;
    }
    RedirectionOff off(m_ctx.redirection);
    const uint32_t attributes = m_ctx.os.files.Attributes(path);
    return attributes != os::kInvalidAttributes && (attributes & os::attr::kDirectory) == 0;
}

std::vector<std::string> clsFSO::Available_Drives() {
    return m_ctx.os.volumes.LogicalDrives();
}

bool clsFSO::Get_Disk_Space(const std::string& drive, uint64_t& freeBytes, uint64_t& totalBytes) {
    const std::string root = DriveRoot(drive);
    return !root.empty() && m_ctx.os.volumes.FreeSpace(root, freeBytes, totalBytes) == 0;
}

bool clsFSO::IsThisRestricted(const std::string& folder) {
    if (!IsAbsolutePath(folder)) {
        return true;
    }
    const std::string probe = JoinPath(folder, "_Test.$$$");
    RedirectionOff off(m_ctx.redirection);
    if (m_ctx.os.files.Write(probe, "X\r\nABC\r\n", os::WriteMode::kTruncate) != 0) {
        return true;
    }
    return m_ctx.os.files.Delete(probe) != 0;
}

bool clsFSO::Create_Dir_Struct(const std::string& path) {
    const std::string full = Add_Trailing_Slash(path);
    uint32_t error = 0;
    if (!IsAbsolutePath(full) || HasWildcard(full)) {
        error = 123;  // ERROR_INVALID_NAME
    } else {
        RedirectionOff off(m_ctx.redirection);
        // Every level below the root, from the top down.
        const size_t share = full[1] == ':' ? 2 : full.find('\\', full.find('\\', 2) + 1);
        const size_t start = share == std::string::npos ? full.size() : share + 1;
        for (size_t cut = full.find('\\', start); cut != std::string::npos && error == 0;
             cut = full.find('\\', cut + 1)) {
            const std::string level = full.substr(0, cut);
            if (!DoesDirExist(m_ctx, level)) {
                error = m_ctx.os.files.CreateFolder(level);
            }
        }
    }
    if (error != 0) {
        m_ctx.debug.Error("clsFSO\\Create_Dir_Struct - VB ERROR: ", FileError(error), {});
        m_ctx.debug.Print("An error occured while trying to create:  " + path);
        return false;
    }
    return true;
}

}  // namespace kestrel
