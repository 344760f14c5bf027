#pragma once
// The calls of the file port that ZIP extraction makes, over POSIX files, for the benchmark
// on Linux. "C:\dir\file" (also as "\\?\C:\dir\file") names /dir/file; every other call
// answers 50 (not supported).

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <string>

#include "os/file_system.h"

namespace kestrel::bench {

inline std::string PosixPath(std::string path) {
    if (path.rfind("\\\\?\\", 0) == 0) {
        path.erase(0, 4);
    }
    if (path.size() >= 2 && path[1] == ':') {
        path.erase(0, 2);
    }
    for (char& c : path) {
        c = c == '\\' ? '/' : c;
    }
    return path;
}

inline uint32_t Win32Error(int error) {
    switch (error) {
        case ENOENT:
            return 2;
        case ENOTDIR:
            return 3;
        case EACCES:
        case EISDIR:
        case EPERM:
            return 5;
        case EEXIST:
            return 183;
        default:
            return 31;
    }
}

class PosixReadable : public os::ReadableFile {
public:
    PosixReadable(int fd, uint64_t size) : m_fd(fd), m_size(size) {}
    ~PosixReadable() override { close(m_fd); }
    uint64_t Size() const override { return m_size; }
    uint32_t ReadAt(uint64_t offset, char* buffer, size_t count, size_t& got) override {
        const ssize_t n = pread(m_fd, buffer, count, static_cast<off_t>(offset));
        got = n > 0 ? static_cast<size_t>(n) : 0;
        return n < 0 ? Win32Error(errno) : 0;
    }

private:
    int m_fd;
    uint64_t m_size;
};

class PosixWritable : public os::WritableFile {
public:
    explicit PosixWritable(int fd) : m_fd(fd) {}
    ~PosixWritable() override { (void)Close(); }
    uint32_t Append(const char* data, size_t count) override {
        while (count > 0 && m_error == 0) {
            const ssize_t n = write(m_fd, data, count);
            if (n < 0) {
                m_error = Win32Error(errno);
                break;
            }
            data += n;
            count -= static_cast<size_t>(n);
        }
        return m_error;
    }
    uint32_t Close() override {
        if (m_fd >= 0 && close(m_fd) != 0 && m_error == 0) {
            m_error = Win32Error(errno);
        }
        m_fd = -1;
        return m_error;
    }

private:
    int m_fd;
    uint32_t m_error = 0;
};

class PosixFileSystem : public os::FileSystem {
public:
    static constexpr uint32_t kNotSupported = 50;

    int32_t OpenFileExist(const std::string& path) override {
        struct stat st {};
        return stat(PosixPath(path).c_str(), &st) == 0 && S_ISREG(st.st_mode) ? 1 : -1;
    }
    bool OpenForReading(const std::string& path) override { return OpenFileExist(path) == 1; }
    uint32_t Attributes(const std::string& path, uint32_t* error = nullptr) override {
        struct stat st {};
        if (stat(PosixPath(path).c_str(), &st) != 0) {
            if (error != nullptr) {
                *error = Win32Error(errno);
            }
            return os::kInvalidAttributes;
        }
        return S_ISDIR(st.st_mode) ? os::attr::kDirectory : os::attr::kArchive;
    }
    uint32_t CreateFolder(const std::string& path) override {
        return mkdir(PosixPath(path).c_str(), 0755) == 0 ? 0 : Win32Error(errno);
    }
    uint32_t Delete(const std::string& path) override {
        return unlink(PosixPath(path).c_str()) == 0 ? 0 : Win32Error(errno);
    }
    uint32_t OpenReadable(const std::string& path,
                          std::unique_ptr<os::ReadableFile>& file) override {
        const int fd = open(PosixPath(path).c_str(), O_RDONLY);
        struct stat st {};
        if (fd < 0 || fstat(fd, &st) != 0) {
            const uint32_t error = Win32Error(errno);
            if (fd >= 0) {
                close(fd);
            }
            return error;
        }
        file = std::make_unique<PosixReadable>(fd, static_cast<uint64_t>(st.st_size));
        return 0;
    }
    uint32_t CreateWritable(const std::string& path,
                            std::unique_ptr<os::WritableFile>& file) override {
        const int fd = open(PosixPath(path).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0) {
            return Win32Error(errno);
        }
        file = std::make_unique<PosixWritable>(fd);
        return 0;
    }

    uint32_t SetAttributes(const std::string&, uint32_t) override { return kNotSupported; }
    uint32_t CreateFolderTree(const std::string&) override { return kNotSupported; }
    bool MakeSurePathExists(const std::string&) override { return false; }
    uint32_t ReadAll(const std::string&, std::string&) override { return kNotSupported; }
    uint32_t Write(const std::string&, const std::string&, os::WriteMode) override {
        return kNotSupported;
    }
    uint32_t Replace(const std::string&, const std::string&) override { return kNotSupported; }
    uint32_t Move(const std::string&, const std::string&) override { return kNotSupported; }
    uint32_t RemoveFolder(const std::string&) override { return kNotSupported; }
    uint32_t List(const std::string&, std::vector<os::DirEntry>&) override { return kNotSupported; }
    uint32_t Copy(const std::string&, const std::string&, bool) override { return kNotSupported; }
    std::string TempFolder() override { return {}; }
    uint32_t CreateTempFile(const std::string&, const std::string&, std::string&) override {
        return kNotSupported;
    }
    std::string FileVersion(const std::string&) override { return {}; }
};

}  // namespace kestrel::bench
