#pragma once
// clsFSO: the program's file and folder operations with their log lines, overwrite prompts,
// temporary names and listings. Every operation switches file-system redirection off around
// its access to the disk, catches its own errors and answers false, "" or an empty list.
//
// Listings do not enter links (junctions and symbolic links): a link is listed as what it is
// and deleted as a link, so no operation walks or deletes outside the folder it was given.

#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

class Context;
struct VbError;

// What Get_FileInfo learns about a file.
struct FileDetails {
    std::string drive;         // "C:"
    std::string path;          // the full path
    std::string name;          // the file name
    std::string parentFolder;  // the folder that holds it
    std::string type;          // the shell's type name ("Text Document")
    std::string extension;     // without the point
    uint64_t size = 0;
    int64_t created = 0;  // FILETIME ticks (UTC)
    int64_t modified = 0;
    int64_t accessed = 0;
    uint32_t attributes = 0;
};

// The kinds of drive, numbered as the scripting runtime numbers them.
enum class FsoDriveType : uint32_t {
    kUnknown = 0,
    kRemovable = 1,
    kFixed = 2,
    kNetwork = 3,
    kCdRom = 4,
    kRamDisk = 5
};

enum class FileDate { kCreated, kModified, kAccessed };

// What Get_Totals counted.
struct FileTotals {
    double files = 0;
    uint64_t bytes = 0;
    std::string bytesText;  // the bytes formatted "#,0"
    bool valid = false;     // false when the date could not be read
};

class clsFSO {
public:
    explicit clsFSO(Context& ctx);

    // The number of files matched by the extension filter of Get_FileList (not reset by it).
    double Count() const { return m_count; }
    void SetCount(double count) { m_count = count; }
    // The run-time error number of the last failed access (Get_DirList).
    int32_t AccessErrNum() const { return m_accessErrNum; }
    void SetAccessErrNum(int32_t number) { m_accessErrNum = number; }
    // Stops Get_FileList and Get_DirList between two items; they then answer "".
    void SetCancel(bool cancel) { m_cancel = cancel; }
    bool Cancelled() const { return m_cancel; }
    // Called for every file that the extension filter of Get_FileList takes, with the count.
    void SetFileFoundHandler(std::function<void(double count, const std::string& path)> handler) {
        m_onFileFound = std::move(handler);
    }
    // The details of the file last read by Get_FileInfo or IsFileHidden.
    const FileDetails& Details() const { return m_details; }

    // Paths as texts.
    std::string StripDrive(const std::string& strPath);
    static std::string Get_Extension(std::string_view file);        // GetExtensionName
    static std::string Get_FileNoExtension(std::string_view file);  // GetBaseName
    static std::string Get_Filename(std::string_view file);         // GetFileName
    static std::string Get_Path(std::string_view file);             // GetParentFolderName
    static std::string Add_Trailing_Slash(std::string_view path);
    static std::string Remove_Trailing_Slash(std::string_view path);
    static std::string Remove_Nulls(std::string_view text);
    static std::string Shrink_2_Fit(std::string_view path, size_t maxLength);
    static std::string Attribute_String(uint32_t attributes);

    // Drives, existence and folders.
    bool IsDriveReady(const std::string& drive);
    bool Drive_Exist(const std::string& drive, FsoDriveType& driveType);
    bool File_Exist(const std::string& path);
    bool Folder_Exist(const std::string& folder);
    std::vector<std::string> Available_Drives();
    bool Get_Disk_Space(const std::string& drive, uint64_t& freeBytes, uint64_t& totalBytes);
    bool IsThisRestricted(const std::string& folder);
    bool Create_Dir_Struct(const std::string& path);

    // Files: details, versions, dates, contents.
    bool Get_FileInfo(const std::string& file);
    bool IsFileHidden(const std::string& file);
    std::string Get_Version(const std::string& file);
    std::string Get_VB_Version(const std::string& file);
    // The creation time (FILETIME ticks) of an existing file; 0 otherwise.
    int64_t GetFileCreationDate(const std::string& file);
    // The file created later; file1 when both were created at the same moment.
    std::string ReturnNewerFile(const std::string& file1, const std::string& file2);
    // The newest file that FindFiles finds; "" when it finds none.
    std::string ReturnNewestFileFromSpec(const std::string& folder, const std::string& spec,
                                         bool recurse);
    bool Get_FileProperties(const std::string& file);
    std::string BrowseForFolder(uintptr_t ownerWindow, const std::string& prompt);
    // The file's lines at 0 to n - 1. A missing file is created empty and gives no lines.
    bool FileToArray(const std::string& file, std::vector<std::string>& lines);

    // Listings.
    std::string Get_FileList(const std::string& folder, bool recurse,
                             const std::string& fileSpec = "*.*");
    std::string Get_DirList(const std::string& folder, bool recurse);
    // The files of the folder whose contents hold the text, each followed by ";"; "N/A" when
    // there are none.
    std::string TextSearch(const std::string& folder, const std::string& text);
    // The files of the folder (and below, with recurse) whose chosen date is on or after the
    // date given (every file for an empty date).
    FileTotals Get_Totals(const std::string& folder, const std::string& sinceDate, FileDate which,
                          bool recurse);
    // The bytes of all files in the folder and below it.
    uint64_t GetDirSize(const std::string& folder);

    // Copying, moving, renaming.
    bool Move_File(const std::string& source, const std::string& target, bool overwrite);
    bool Copy_File(const std::string& source, const std::string& target, bool overwrite);
    // Renames within the old file's folder; newName receives the full new path.
    bool RenFile(const std::string& oldPath, std::string& newName, bool overwrite);
    bool Move_Dir(const std::string& source, const std::string& destination);

    // Deleting.
    bool KillFile(const std::string& strFile);
    bool KillDir(const std::string& strPath, bool recreatePath = false);
    bool DelTree32(const std::string& strPath);
    void ResetAttributes(const std::string& file);

    // Temporary names.
    float Rnd2(float low, float high);
    std::string Create_Tmp_Name(int length);
    std::string Create_Tmp_Filename();
    // folder "" means the temporary folder; folder receives the folder used.
    std::string Create_Tmp_Filename(std::string& folder);
    std::string Create_Tmp_Folder();

private:
    // A walk through folders: shown is the path as the caller spells it, access the path by
    // which the file functions reach the same folder.
    struct ListState;
    void ListFiles(const std::string& shown, const std::string& access, bool recurse,
                   const std::string& extension, bool filtered, ListState& state);
    void ListDirs(const std::string& shown, const std::string& access, bool recurse,
                  ListState& state);
    bool ListingError(const char* procedure, const std::string& folder, const VbError& error);
    bool Transfer(const std::string& source, const std::string& target, bool overwrite, bool copy);
    bool AskToReplace(const std::string& target);
    std::string TempFolderOrDefault();

    Context& m_ctx;
    double m_count = 0;
    int32_t m_accessErrNum = 0;
    bool m_cancel = false;
    FileDetails m_details;
    std::function<void(double, const std::string&)> m_onFileFound;
    std::mt19937 m_random;
};

}  // namespace kestrel
