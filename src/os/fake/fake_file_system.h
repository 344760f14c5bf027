#pragma once
// An in-memory file system with Windows' rules: drive and UNC roots, "\" or "/" separators,
// names compared without case, attributes, read-only and locked files, links (junctions and
// symbolic links, followed inside a path but not at its end), "\\?\" paths taken literally
// (trailing dots and blanks kept), and the Win32 error numbers of the real calls.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "os/file_system.h"

namespace kestrel::os::fake {

class FakeFileSystem : public FileSystem {
public:
    FakeFileSystem();

    // Set-up and inspection for tests.
    void AddDrive(const std::string& root);   // "C:" or "\\server\share"
    void AddFolder(const std::string& path);  // with all missing parents
    void AddFile(const std::string& path, const std::string& content = {},
                 uint32_t attributes = attr::kArchive);  // parents made as needed
    // A junction (folder) or a file symbolic link at path that leads to target; the target
    // need not exist.
    void AddLink(const std::string& path, const std::string& target, bool folder = true);
    void SetVersion(const std::string& path, const std::string& version);
    // Creation and last-write times (FILETIME ticks; the last access equals the last write).
    void SetTimes(const std::string& path, int64_t created, int64_t modified);
    // The drive roots ("C:") in order.
    std::vector<std::string> Drives() const;
    bool Exists(const std::string& path) const;
    bool IsFolder(const std::string& path) const;
    std::optional<std::string> Content(const std::string& path) const;
    // A locked file answers 32 (sharing violation) to writing, deleting, moving and replacing.
    void SetLocked(const std::string& path, bool locked);
    // Every later write fails with error after putting at most keepBytes bytes of its data
    // into the file (0 error: writes work again).
    void FailWrites(uint32_t error, size_t keepBytes = 0);
    // All paths (display spelling), sorted, for whole-state comparisons.
    std::vector<std::string> AllPaths() const;
    int writeCount = 0;
    // What GetTempPathA answers ("" makes it fail).
    std::string tempFolder;

    // FileSystem
    int32_t OpenFileExist(const std::string& path) override;
    bool OpenForReading(const std::string& path) override;
    uint32_t Attributes(const std::string& path, uint32_t* error = nullptr) override;
    uint32_t SetAttributes(const std::string& path, uint32_t attributes) override;
    uint32_t CreateFolder(const std::string& path) override;
    uint32_t CreateFolderTree(const std::string& path) override;
    bool MakeSurePathExists(const std::string& pathWithTrailingBackslash) override;
    uint32_t ReadAll(const std::string& path, std::string& bytes) override;
    uint32_t Write(const std::string& path, const std::string& bytes, WriteMode mode) override;
    uint32_t OpenReadable(const std::string& path, std::unique_ptr<ReadableFile>& file) override;
    uint32_t CreateWritable(const std::string& path, std::unique_ptr<WritableFile>& file) override;
    uint32_t Replace(const std::string& source, const std::string& target) override;
    uint32_t Move(const std::string& source, const std::string& target) override;
    uint32_t Delete(const std::string& path) override;
    uint32_t RemoveFolder(const std::string& path) override;
    uint32_t List(const std::string& pattern, std::vector<DirEntry>& entries) override;
    uint32_t Copy(const std::string& source, const std::string& target, bool failIfExists) override;
    std::string TempFolder() override { return tempFolder; }
    uint32_t CreateTempFile(const std::string& folder, const std::string& prefix,
                            std::string& path) override;
    std::string FileVersion(const std::string& path) override;

    struct Node {
        std::string path;  // display spelling
        bool folder = false;
        uint32_t attributes = 0;
        std::string content;
        bool locked = false;
        int64_t creationTime = 0;
        int64_t lastWriteTime = 0;
        std::string linkTarget;  // a link: where it leads
        std::string version;
    };

    // The normalised key of a path ("c:\dir\file"), or nothing for a relative or malformed
    // path. Exposed for the other fakes that share this file system.
    static std::optional<std::string> Normalize(const std::string& path, std::string* display);
    // The key with the links inside the path followed (and the last one too with followLast);
    // nothing for a malformed path or a chain of links that does not end.
    // The node a path names (0), or the error its absence gives (123, 3 or 2).
    uint32_t Existing(const std::string& path, std::string& key,
                      std::map<std::string, Node>::iterator& it);
    std::optional<std::string> Key(const std::string& path, std::string* display,
                                   bool followLast = false) const;
    const Node* Find(const std::string& path, bool followLast = false) const;
    Node* Find(const std::string& path, bool followLast = false);

    // Appends to the file an open WritableFile names (the failure set by FailWrites applies).
    uint32_t AppendTo(const std::string& key, const char* data, size_t count);

private:
    std::optional<std::string> Resolve(const std::string& key, const std::string& shown,
                                       std::string* display, bool followLast, int depth) const;
    uint32_t ParentError(const std::string& key) const;
    std::string Parent(const std::string& key) const;
    bool IsRoot(const std::string& key) const;
    int64_t Tick() { return ++m_clock; }
    void MoveTree(const std::string& from, const std::string& to, const std::string& display);
    // Puts node at path (its parents made as needed), with its display spelling and times.
    void Place(const std::string& path, Node node);

    std::map<std::string, Node> m_nodes;  // key: normalised lower-case path
    uint32_t m_tempCounter = 0x3A7;
    bool m_hasLinks = false;  // until the first link, no path needs following
    uint32_t m_failError = 0;
    size_t m_failKeep = 0;
    int64_t m_clock = 132000000000000000;
};

// Wildcard match of a Windows file pattern ("*", "?"), ignoring case; "*.*" matches any name.
bool WildcardMatch(const std::string& pattern, const std::string& name);

}  // namespace kestrel::os::fake
