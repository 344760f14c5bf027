#include "os/win32/windows_api.h"

#include <shellapi.h>
#include <shlobj.h>

#include "os/win32/win32_ports.h"

namespace kestrel::os::win32 {
namespace {

// The double-NUL-terminated list that SHFileOperation reads.
std::wstring PathList(const std::vector<std::string>& paths) {
    std::wstring list;
    for (const std::string& path : paths) {
        list += Wide(path);
        list.push_back(L'\0');
    }
    list.push_back(L'\0');
    return list;
}

class Win32ShellFiles : public ShellFiles {
public:
    int FileOperation(ShellOp op, const std::vector<std::string>& from, const std::string& to,
                      uint16_t flags, bool* aborted) override {
        const std::wstring source = PathList(from);
        const std::wstring target = to.empty() ? std::wstring() : PathList({to});
        SHFILEOPSTRUCTW request{};
        request.wFunc = static_cast<UINT>(op);
        request.pFrom = source.c_str();
        request.pTo = to.empty() ? nullptr : target.c_str();
        request.fFlags = flags;
        int result = SHFileOperationW(&request);
        if (aborted != nullptr) {
            *aborted = request.fAnyOperationsAborted != FALSE;
        }
        return result;
    }

    void UpdateRecycleBinIcon() override {
        // SHUpdateRecycleBinIcon is exported by name only from shell32.
        using Update = void(WINAPI*)();
        if (HMODULE shell = GetModuleHandleA("shell32.dll")) {
            if (auto update = reinterpret_cast<Update>(
                    reinterpret_cast<void*>(GetProcAddress(shell, "SHUpdateRecycleBinIcon")))) {
                update();
            }
        }
    }

    bool ShowProperties(const std::string& path) override {
        const std::wstring file = Wide(path);
        SHELLEXECUTEINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = SEE_MASK_INVOKEIDLIST | SEE_MASK_FLAG_NO_UI;
        info.lpVerb = L"properties";
        info.lpFile = file.c_str();
        info.nShow = SW_SHOW;
        return ShellExecuteExW(&info) != FALSE;
    }

    std::string TypeName(const std::string& path) override {
        SHFILEINFOW info{};
        if (SHGetFileInfoW(Wide(path).c_str(), FILE_ATTRIBUTE_NORMAL, &info, sizeof(info),
                           SHGFI_TYPENAME | SHGFI_USEFILEATTRIBUTES) == 0) {
            return {};
        }
        return Narrow(info.szTypeName);
    }
};

}  // namespace

std::unique_ptr<ShellFiles> MakeShellFiles() {
    return std::make_unique<Win32ShellFiles>();
}

}  // namespace kestrel::os::win32
