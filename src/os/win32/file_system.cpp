#include "os/win32/windows_api.h"

#include <winver.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "os/file_system.h"
#include "os/win32/win32_ports.h"

namespace kestrel::os::win32 {
namespace {

// A file larger than this is not a list, a log or a setting; it is not read into memory.
constexpr LONGLONG kMaxReadBytes = 512LL * 1024 * 1024;

class Win32ReadableFile : public ReadableFile {
public:
    Win32ReadableFile(UniqueHandle handle, uint64_t size)
        : m_handle(std::move(handle)), m_size(size) {}
    uint64_t Size() const override { return m_size; }
    uint32_t ReadAt(uint64_t offset, char* buffer, size_t count, size_t& got) override {
        got = 0;
        if (offset >= m_size || count == 0) {
            return 0;
        }
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(offset);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        DWORD read = 0;
        DWORD want = static_cast<DWORD>(std::min<size_t>(count, 1u << 30));
        if (!ReadFile(m_handle.Get(), buffer, want, &read, &at)) {
            DWORD err = GetLastError();
            return err == ERROR_HANDLE_EOF ? 0 : err;
        }
        got = read;
        return 0;
    }

private:
    UniqueHandle m_handle;
    uint64_t m_size;
};

class Win32WritableFile : public WritableFile {
public:
    explicit Win32WritableFile(UniqueHandle handle) : m_handle(std::move(handle)) {}
    uint32_t Append(const char* data, size_t count) override {
        if (!m_handle.Valid()) {
            return ERROR_INVALID_HANDLE;
        }
        while (count > 0) {
            DWORD put = 0;
            DWORD want = static_cast<DWORD>(std::min<size_t>(count, 1u << 20));
            if (!WriteFile(m_handle.Get(), data, want, &put, nullptr)) {
                m_error = GetLastError();
                return m_error;
            }
            data += put;
            count -= put;
        }
        return 0;
    }
    uint32_t Close() override {
        m_handle = UniqueHandle();
        return m_error;
    }

private:
    UniqueHandle m_handle;
    uint32_t m_error = 0;
};

// Opens an existing file for reading, sharing it with every other use, and gives its size.
uint32_t OpenExisting(const std::string& path, UniqueHandle& handle, uint64_t& size) {
    handle = UniqueHandle(CreateFileW(LongForm(path).c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle.Valid()) {
        return GetLastError();
    }
    LARGE_INTEGER bytes{};
    if (!GetFileSizeEx(handle.Get(), &bytes)) {
        return GetLastError();
    }
    size = static_cast<uint64_t>(bytes.QuadPart);
    return 0;
}

int64_t Ticks(const FILETIME& ft) {
    return (static_cast<int64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

bool IsAbsolute(const std::wstring& w) {
    return w.size() >= 3 &&
           ((w[1] == L':' && (w[2] == L'\\' || w[2] == L'/')) || (w[0] == L'\\' && w[1] == L'\\'));
}

uint32_t CreateTree(const std::string& path) {
    std::wstring w = LongForm(path);
    if (!IsAbsolute(w)) {
        return ERROR_BAD_PATHNAME;
    }
    DWORD attributes = GetFileAttributesW(w.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? ERROR_ALREADY_EXISTS : ERROR_FILE_EXISTS;
    }
    // Walk down from the root, making each missing level.
    size_t start = 3;
    if (w.rfind(L"\\\\?\\UNC\\", 0) == 0) {
        start = w.find(L'\\', w.find(L'\\', 8) + 1);
    } else if (w.rfind(L"\\\\?\\", 0) == 0) {
        start = 7;
    } else if (w.rfind(L"\\\\", 0) == 0) {
        start = w.find(L'\\', w.find(L'\\', 2) + 1);
    }
    if (start == std::wstring::npos) {
        return ERROR_BAD_PATHNAME;
    }
    for (size_t pos = start; pos != std::wstring::npos && pos <= w.size();) {
        size_t next = w.find_first_of(L"\\/", pos + 1);
        std::wstring level = w.substr(0, next == std::wstring::npos ? w.size() : next);
        if (!CreateDirectoryW(level.c_str(), nullptr)) {
            DWORD err = GetLastError();
            if (err != ERROR_ALREADY_EXISTS) {
                return err;
            }
            DWORD a = GetFileAttributesW(level.c_str());
            if (a == INVALID_FILE_ATTRIBUTES || !(a & FILE_ATTRIBUTE_DIRECTORY)) {
                return ERROR_PATH_NOT_FOUND;
            }
        }
        if (next == std::wstring::npos || next + 1 >= w.size()) {
            break;
        }
        pos = next;
    }
    return 0;
}

class Win32FileSystem : public FileSystem {
public:
    int32_t OpenFileExist(const std::string& path) override {
        OFSTRUCT of{};
        of.cBytes = sizeof(of);
        HFILE h = OpenFile(path.c_str(), &of, OF_EXIST);
        return h == HFILE_ERROR ? -1 : static_cast<int32_t>(h);
    }

    bool OpenForReading(const std::string& path) override {
        UniqueHandle h(CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                   OPEN_EXISTING, 0, nullptr));
        return h.Valid();
    }

    uint32_t Attributes(const std::string& path, uint32_t* error) override {
        DWORD a = GetFileAttributesW(LongForm(path).c_str());
        if (a == INVALID_FILE_ATTRIBUTES && error != nullptr) {
            *error = GetLastError();
        }
        return a;
    }

    uint32_t SetAttributes(const std::string& path, uint32_t attributes) override {
        return SetFileAttributesW(LongForm(path).c_str(), attributes) ? 0 : GetLastError();
    }

    uint32_t CreateFolder(const std::string& path) override {
        return CreateDirectoryW(LongForm(path).c_str(), nullptr) ? 0 : GetLastError();
    }

    uint32_t CreateFolderTree(const std::string& path) override { return CreateTree(path); }

    bool MakeSurePathExists(const std::string& path) override {
        size_t cut = path.find_last_of("\\/");
        if (cut == std::string::npos) {
            return false;
        }
        std::string folder = path.substr(0, cut);
        if (folder.size() == 2 && folder[1] == ':') {
            return GetFileAttributesW(Wide(folder + "\\").c_str()) != INVALID_FILE_ATTRIBUTES;
        }
        uint32_t err = CreateTree(folder);
        return err == 0 || err == ERROR_ALREADY_EXISTS;
    }

    uint32_t ReadAll(const std::string& path, std::string& bytes) override {
        UniqueHandle h;
        uint64_t size = 0;
        if (uint32_t err = OpenExisting(path, h, size)) {
            return err;
        }
        if (size > static_cast<uint64_t>(kMaxReadBytes)) {
            return ERROR_NOT_ENOUGH_MEMORY;
        }
        bytes.assign(static_cast<size_t>(size), '\0');
        size_t done = 0;
        while (done < bytes.size()) {
            DWORD got = 0;
            DWORD want = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1 << 20));
            if (!ReadFile(h.Get(), bytes.data() + done, want, &got, nullptr)) {
                return GetLastError();
            }
            if (got == 0) {
                break;
            }
            done += got;
        }
        bytes.resize(done);
        return 0;
    }

    uint32_t OpenReadable(const std::string& path, std::unique_ptr<ReadableFile>& file) override {
        UniqueHandle h;
        uint64_t size = 0;
        if (uint32_t err = OpenExisting(path, h, size)) {
            return err;
        }
        file = std::make_unique<Win32ReadableFile>(std::move(h), size);
        return 0;
    }

    uint32_t CreateWritable(const std::string& path, std::unique_ptr<WritableFile>& file) override {
        // Windows refuses to replace a read-only file; Wine's CREATE_ALWAYS does not.
        const DWORD existing = GetFileAttributesW(LongForm(path).c_str());
        if (existing != INVALID_FILE_ATTRIBUTES && (existing & FILE_ATTRIBUTE_READONLY) != 0) {
            return ERROR_ACCESS_DENIED;
        }
        UniqueHandle h(CreateFileW(LongForm(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                   CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!h.Valid()) {
            return GetLastError();
        }
        file = std::make_unique<Win32WritableFile>(std::move(h));
        return 0;
    }

    uint32_t Write(const std::string& path, const std::string& bytes, WriteMode mode) override {
        DWORD disposition = mode == WriteMode::kCreateNew ? CREATE_NEW : OPEN_ALWAYS;
        UniqueHandle h(CreateFileW(LongForm(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                   disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!h.Valid()) {
            return GetLastError();
        }
        if (mode == WriteMode::kAppend) {
            if (SetFilePointer(h.Get(), 0, nullptr, FILE_END) == INVALID_SET_FILE_POINTER &&
                GetLastError() != NO_ERROR) {
                return GetLastError();
            }
        } else if (!SetEndOfFile(h.Get())) {
            return GetLastError();
        }
        size_t done = 0;
        while (done < bytes.size()) {
            DWORD put = 0;
            DWORD want = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1 << 20));
            if (!WriteFile(h.Get(), bytes.data() + done, want, &put, nullptr)) {
                return GetLastError();
            }
            done += put;
        }
        if (!FlushFileBuffers(h.Get())) {
            return GetLastError();
        }
        return 0;
    }

    uint32_t Replace(const std::string& source, const std::string& target) override {
        return MoveFileExW(LongForm(source).c_str(), LongForm(target).c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
                   ? 0
                   : GetLastError();
    }

    uint32_t Move(const std::string& source, const std::string& target) override {
        return MoveFileW(LongForm(source).c_str(), LongForm(target).c_str()) ? 0 : GetLastError();
    }

    uint32_t Delete(const std::string& path) override {
        return DeleteFileW(LongForm(path).c_str()) ? 0 : GetLastError();
    }

    uint32_t RemoveFolder(const std::string& path) override {
        return RemoveDirectoryW(LongForm(path).c_str()) ? 0 : GetLastError();
    }

    uint32_t List(const std::string& pattern, std::vector<DirEntry>& entries) override {
        WIN32_FIND_DATAW data{};
        UniqueFind find(FindFirstFileW(LongForm(pattern).c_str(), &data));
        if (!find.Valid()) {
            return GetLastError();
        }
        do {
            DirEntry e;
            e.name = Narrow(data.cFileName);
            e.attributes = data.dwFileAttributes;
            e.size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
            e.creationTime = Ticks(data.ftCreationTime);
            e.lastWriteTime = Ticks(data.ftLastWriteTime);
            e.lastAccessTime = Ticks(data.ftLastAccessTime);
            entries.push_back(std::move(e));
        } while (FindNextFileW(find.Get(), &data));
        return 0;
    }

    uint32_t Copy(const std::string& source, const std::string& target,
                  bool failIfExists) override {
        return CopyFileW(LongForm(source).c_str(), LongForm(target).c_str(), failIfExists)
                   ? 0
                   : GetLastError();
    }

    std::string TempFolder() override {
        char buffer[MAX_PATH + 1] = {};
        DWORD n = GetTempPathA(MAX_PATH, buffer);
        if (n == 0 || n > MAX_PATH) {
            return {};
        }
        std::string folder(buffer, n);
        if (folder.back() != '\\') {
            folder += '\\';
        }
        return folder;
    }

    uint32_t CreateTempFile(const std::string& folder, const std::string& prefix,
                            std::string& path) override {
        wchar_t buffer[MAX_PATH + 1] = {};
        if (GetTempFileNameW(Wide(folder).c_str(), Wide(prefix).c_str(), 0, buffer) == 0) {
            return GetLastError();
        }
        path = Narrow(buffer);
        return 0;
    }

    std::string FileVersion(const std::string& path) override {
        const std::wstring w = LongForm(path);
        DWORD ignored = 0;
        DWORD size = GetFileVersionInfoSizeW(w.c_str(), &ignored);
        if (size == 0) {
            return {};
        }
        std::vector<char> data(size);
        if (!GetFileVersionInfoW(w.c_str(), 0, size, data.data())) {
            return {};
        }
        VS_FIXEDFILEINFO* info = nullptr;
        UINT length = 0;
        if (!VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &length) ||
            info == nullptr || length < sizeof(VS_FIXEDFILEINFO)) {
            return {};
        }
        return std::to_string(HIWORD(info->dwFileVersionMS)) + "." +
               std::to_string(LOWORD(info->dwFileVersionMS)) + "." +
               std::to_string(HIWORD(info->dwFileVersionLS)) + "." +
               std::to_string(LOWORD(info->dwFileVersionLS));
    }
};

}  // namespace

std::unique_ptr<FileSystem> MakeFileSystem() {
    return std::make_unique<Win32FileSystem>();
}

}  // namespace kestrel::os::win32
