// The fake file system's streams: reading a snapshot at any offset, writing in order.
#include <algorithm>
#include <cstring>
#include <memory>

#include "os/errors.h"
#include "os/fake/fake_file_system.h"

namespace kestrel::os::fake {

using os::error::kInvalidHandle;
using os::error::kSharingViolation;

namespace {

// A snapshot of the file's bytes as they were when it was opened.
class FakeReadableFile : public ReadableFile {
public:
    explicit FakeReadableFile(std::string content) : m_content(std::move(content)) {}
    uint64_t Size() const override { return m_content.size(); }
    uint32_t ReadAt(uint64_t offset, char* buffer, size_t count, size_t& got) override {
        got = 0;
        if (offset < m_content.size()) {
            got = std::min<uint64_t>(count, m_content.size() - offset);
            std::memcpy(buffer, m_content.data() + offset, got);
        }
        return 0;
    }

private:
    std::string m_content;
};

class FakeWritableFile : public WritableFile {
public:
    FakeWritableFile(FakeFileSystem& files, std::string key)
        : m_files(files), m_key(std::move(key)) {}
    uint32_t Append(const char* data, size_t count) override {
        if (m_closed) {
            return kInvalidHandle;
        }
        m_error = m_files.AppendTo(m_key, data, count);
        return m_error;
    }
    uint32_t Close() override {
        m_closed = true;
        return m_error;
    }

private:
    FakeFileSystem& m_files;
    std::string m_key;
    uint32_t m_error = 0;
    bool m_closed = false;
};

}  // namespace

uint32_t FakeFileSystem::OpenReadable(const std::string& path,
                                      std::unique_ptr<ReadableFile>& file) {
    std::string bytes;
    if (uint32_t err = ReadAll(path, bytes)) {
        return err;
    }
    const Node* node = Find(path, true);
    if (node != nullptr && node->locked) {
        return kSharingViolation;
    }
    file = std::make_unique<FakeReadableFile>(std::move(bytes));
    return 0;
}

uint32_t FakeFileSystem::CreateWritable(const std::string& path,
                                        std::unique_ptr<WritableFile>& file) {
    if (uint32_t err = Write(path, "", WriteMode::kTruncate)) {
        return err;
    }
    file = std::make_unique<FakeWritableFile>(*this, *Key(path, nullptr, true));
    return 0;
}

uint32_t FakeFileSystem::AppendTo(const std::string& key, const char* data, size_t count) {
    auto it = m_nodes.find(key);
    if (it == m_nodes.end() || it->second.folder) {
        return kInvalidHandle;
    }
    Node& node = it->second;
    node.lastWriteTime = Tick();
    if (m_failError != 0) {
        node.content.append(data, std::min(m_failKeep, count));
        return m_failError;
    }
    node.content.append(data, count);
    return 0;
}

}  // namespace kestrel::os::fake
