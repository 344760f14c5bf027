#pragma once
// The one header through which the program sees <windows.h>.

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <string>

namespace kestrel::os::win32 {

// Texts cross the boundary in the system code page.
std::wstring Wide(const std::string& text);
std::string Narrow(const std::wstring& text);

// The form of an absolute path that the wide file functions accept at any length: "\\?\"
// (or "\\?\UNC\") in front, "/" turned into "\". Short and relative paths stay as they are.
std::wstring LongForm(const std::string& path);

// Owns one kernel handle; CloseHandle on destruction. Move-only.
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE h) : m_h(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
    UniqueHandle(UniqueHandle&& o) noexcept : m_h(o.m_h) { o.m_h = nullptr; }
    UniqueHandle& operator=(UniqueHandle&& o) noexcept {
        if (this != &o) {
            Reset();
            m_h = o.m_h;
            o.m_h = nullptr;
        }
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { Reset(); }
    void Reset() {
        if (m_h != nullptr) {
            CloseHandle(m_h);
            m_h = nullptr;
        }
    }
    HANDLE Get() const { return m_h; }
    bool Valid() const { return m_h != nullptr; }

private:
    HANDLE m_h = nullptr;
};

// Owns one find handle; FindClose on destruction. Move-only.
class UniqueFind {
public:
    explicit UniqueFind(HANDLE h) : m_h(h) {}
    UniqueFind(const UniqueFind&) = delete;
    UniqueFind& operator=(const UniqueFind&) = delete;
    ~UniqueFind() {
        if (m_h != INVALID_HANDLE_VALUE) {
            FindClose(m_h);
        }
    }
    HANDLE Get() const { return m_h; }
    bool Valid() const { return m_h != INVALID_HANDLE_VALUE; }

private:
    HANDLE m_h;
};

}  // namespace kestrel::os::win32
