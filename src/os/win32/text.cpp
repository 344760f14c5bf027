#include "os/win32/windows_api.h"

namespace kestrel::os::win32 {

std::wstring Wide(const std::string& text) {
    if (text.empty()) {
        return {};
    }
    int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    return out;
}

std::string Narrow(const std::wstring& text) {
    if (text.empty()) {
        return {};
    }
    int n = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                        nullptr, nullptr);
    return out;
}

std::wstring LongForm(const std::string& path) {
    std::wstring w = Wide(path);
    if (w.rfind(L"\\\\?\\", 0) == 0 || w.size() < MAX_PATH - 12) {
        return w;
    }
    // The "\\?\" forms are taken literally, so "." and ".." and "/" are resolved first.
    DWORD n = GetFullPathNameW(w.c_str(), 0, nullptr, nullptr);
    if (n > 0) {
        std::wstring full(n, L'\0');
        DWORD got = GetFullPathNameW(w.c_str(), n, full.data(), nullptr);
        if (got > 0 && got < n) {
            full.resize(got);
            w = full;
        }
    }
    if (w.size() >= 3 && w[1] == L':' && w[2] == L'\\') {
        return L"\\\\?\\" + w;
    }
    if (w.rfind(L"\\\\", 0) == 0) {
        return L"\\\\?\\UNC\\" + w.substr(2);
    }
    return w;
}

}  // namespace kestrel::os::win32
