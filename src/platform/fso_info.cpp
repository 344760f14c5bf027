// clsFSO: what is known about single files, and the shell's windows for them.
#include "base/strings.h"
#include "base/strip.h"
#include "core/context.h"
#include "platform/file_search.h"
#include "platform/file_tests.h"
#include "platform/fso.h"
#include "platform/path_forms.h"

namespace kestrel {
namespace {

// "C:" of a drive path, "\\server\share" of a UNC path.
std::string DriveOf(const std::string& path) {
    if (path.size() >= 2 && path[1] == ':') {
        return path.substr(0, 2);
    }
    const size_t server = path.find('\\', 2);
    const size_t share = server == std::string::npos ? server : path.find('\\', server + 1);
    return path.substr(0, share);
}

}  // namespace

bool clsFSO::Get_FileInfo(const std::string& file) {
    m_details = FileDetails{};
    VbError error{};
    try {
        std::vector<os::DirEntry> entries;
        uint32_t listed = 123;  // a relative path or a pattern names no one file
        if (IsAbsolutePath(file) && !HasWildcard(file)) {
            RedirectionOff off(m_ctx.redirection);
            listed = m_ctx.os.files.List(ExactPath(m_ctx, file), entries);
        }
        if (listed != 0) {
            error = FileError(listed);
        } else if (entries.size() != 1 || (entries[0].attributes & os::attr::kDirectory) != 0) {
            error = FileError(2);  // a folder is not a file
        } else {
            const os::DirEntry& e = entries[0];
            m_details.drive = DriveOf(file);
            m_details.path = file;
            m_details.name = e.name;
            m_details.parentFolder = Get_Path(file);
            m_details.type = m_ctx.os.shell.TypeName(file);
            m_details.extension = Get_Extension(e.name);
            m_details.size = e.size;
            m_details.created = e.creationTime;
            m_details.modified = e.lastWriteTime;
            m_details.accessed = e.lastAccessTime;
            m_details.attributes = e.attributes;
            return true;
        }
    } catch (const std::exception& e) {
        error = ExceptionError(e);
    }
    m_ctx.debug.Error("clsFSO\\Get_FileInfo - VB ERROR: ", error, {"\t- strFile=" + file});
    return false;
}

bool clsFSO::IsFileHidden(const std::string& file) {
    // The hidden bit itself: the attribute letters are empty for combinations such as
    // hidden, system and archive together.
    return Get_FileInfo(file) && (m_details.attributes & os::attr::kHidden) != 0;
}

std::string clsFSO::Get_Version(const std::string& file) {
    if (!IsAbsolutePath(file)) {
        return {};
    }
    RedirectionOff off(m_ctx.redirection);
    return m_ctx.os.files.FileVersion(ExactPath(m_ctx, file));
}

std::string clsFSO::Get_VB_Version(const std::string& file) {
    const std::string version = Get_Version(file);
    if (version.empty()) {
        return {};
    }
    return version.substr(0, 4) + version.back();
}

int64_t clsFSO::GetFileCreationDate(const std::string& file) {
    if (!DoesFileExist(m_ctx, file) || !Get_FileInfo(file)) {
        return 0;
    }
    return m_details.created;
}

std::string clsFSO::ReturnNewerFile(const std::string& file1, const std::string& file2) {
    return GetFileCreationDate(file2) > GetFileCreationDate(file1) ? file2 : file1;
}

std::string clsFSO::ReturnNewestFileFromSpec(const std::string& folder, const std::string& spec,
                                             bool recurse) {
    std::vector<std::string> found;
    FindFiles(m_ctx, folder, spec, found, recurse);
    std::string newest;
    for (const std::string& file : found) {
        newest = newest.empty() ? file : ReturnNewerFile(newest, file);
    }
    return newest;
}

bool clsFSO::Get_FileProperties(const std::string& file) {
    RedirectionOff off(m_ctx.redirection);
    return m_ctx.os.shell.ShowProperties(file);
}

std::string clsFSO::BrowseForFolder(uintptr_t ownerWindow, const std::string& prompt) {
    const std::string folder = Remove_Nulls(
        m_ctx.os.prompts.BrowseForFolder(ownerWindow, prompt, "", os::bif::kReturnOnlyFsDirs));
    m_ctx.debug.Print("clsFSO\\BrowseForFolder - Returned: " + folder);
    return folder;
}

bool clsFSO::FileToArray(const std::string& file, std::vector<std::string>& lines) {
    if (!DoesFileExist(m_ctx, file)) {
        m_ctx.debug.Print("clsFSO\\FileToArray: failed");
        m_ctx.debug.Print("\t- File Not Found:" + file);
        m_ctx.debug.Print("\t- Creating dummy file to proceed with array creation.");
        lines.clear();
        if (IsAbsolutePath(file) && MakeFolderPath(m_ctx, StripNameFromPathQuiet(file))) {
            RedirectionOff off(m_ctx.redirection);
            (void)m_ctx.os.files.Write(file, "", os::WriteMode::kAppend);
        }
        return false;
    }
    std::string content;
    uint32_t error = 0;
    {
        RedirectionOff off(m_ctx.redirection);
        error = m_ctx.os.files.ReadAll(file, content);
    }
    if (error != 0) {
        m_ctx.debug.Error("clsFSO\\FileToArray - VB ERROR: ", FileError(error), {"\tlCtr: 0"});
        return false;
    }
    size_t counter = 0;
    for (std::string& line : SplitLines(content)) {
        lines.resize(counter + 1);
        lines[counter] = std::move(line);
        ++counter;
        m_ctx.os.prompts.DoEvents();
    }
    return true;
}

}  // namespace kestrel
