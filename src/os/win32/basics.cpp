#include "os/win32/windows_api.h"

#include <mmsystem.h>
#include <shlobj.h>
#include <winver.h>

#include <ctime>
#include <vector>

#include "os/win32/win32_ports.h"

namespace kestrel::os::win32 {
namespace {

class Win32Environment : public Environment {
public:
    std::string Variable(std::string_view name) const override {
        std::string n(name);
        DWORD size = GetEnvironmentVariableA(n.c_str(), nullptr, 0);
        if (size == 0) {
            return {};
        }
        std::string value(size, '\0');
        DWORD got = GetEnvironmentVariableA(n.c_str(), value.data(), size);
        value.resize(got < size ? got : 0);
        return value;
    }

    std::string ProgramFile() const override {
        char buffer[512] = {};
        DWORD n = GetModuleFileNameA(nullptr, buffer, sizeof(buffer));
        return std::string(buffer, n);
    }

    std::string CommandLine() const override { return GetCommandLineA(); }

    VersionNumbers ProgramVersion() const override {
        VersionNumbers v;
        std::string file = ProgramFile();
        DWORD ignored = 0;
        DWORD size = GetFileVersionInfoSizeA(file.c_str(), &ignored);
        if (size == 0) {
            return v;
        }
        std::vector<char> data(size);
        if (!GetFileVersionInfoA(file.c_str(), 0, size, data.data())) {
            return v;
        }
        VS_FIXEDFILEINFO* info = nullptr;
        UINT length = 0;
        if (VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&info), &length) &&
            info != nullptr && length >= sizeof(VS_FIXEDFILEINFO)) {
            v.major = HIWORD(info->dwFileVersionMS);
            v.minor = LOWORD(info->dwFileVersionMS);
            v.revision = HIWORD(info->dwFileVersionLS);
        }
        return v;
    }

    std::string SpecialFolder(int csidl) const override {
        char buffer[MAX_PATH + 1] = {};
        if (SHGetFolderPathA(nullptr, csidl, nullptr, 0, buffer) != S_OK) {
            return {};
        }
        return buffer;
    }

    std::string WindowsDirectory() const override {
        char buffer[512] = {};
        UINT n = GetWindowsDirectoryA(buffer, sizeof(buffer));
        return n < sizeof(buffer) ? std::string(buffer, n) : std::string();
    }

    std::string SystemDirectory() const override {
        char buffer[512] = {};
        UINT n = GetSystemDirectoryA(buffer, sizeof(buffer));
        return n < sizeof(buffer) ? std::string(buffer, n) : std::string();
    }
};

class Win32ProfileStrings : public ProfileStrings {
public:
    uint32_t GetString(const std::string& section, const std::string& key,
                       const std::string& defaultValue, uint32_t bufferSize,
                       const std::string& file, std::string& text) override {
        std::string buffer(bufferSize + 1, '\0');
        DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), defaultValue.c_str(),
                                           buffer.data(), bufferSize, file.c_str());
        text.assign(buffer.data(), n);
        return n;
    }

    int32_t GetInt(const std::string& section, const std::string& key, int32_t defaultValue,
                   const std::string& file) override {
        return static_cast<int32_t>(
            GetPrivateProfileIntA(section.c_str(), key.c_str(), defaultValue, file.c_str()));
    }

    bool WriteString(const std::string& section, const std::string& key,
                     const std::optional<std::string>& value, const std::string& file) override {
        return WritePrivateProfileStringA(section.c_str(), key.c_str(),
                                          value ? value->c_str() : nullptr, file.c_str()) != 0;
    }
};

class Win32DebugOutput : public DebugOutput {
public:
    void Write(std::string_view line) override { OutputDebugStringA(std::string(line).c_str()); }
};

class Win32Clock : public Clock {
public:
    std::string ShortDate() override {
        char buffer[128] = {};
        int n = GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, buffer,
                               sizeof(buffer));
        return n > 0 ? std::string(buffer) : std::string();
    }
    std::string TimeOfDay() override {
        char buffer[128] = {};
        int n = GetTimeFormatA(LOCALE_USER_DEFAULT, 0, nullptr, nullptr, buffer, sizeof(buffer));
        return n > 0 ? std::string(buffer) : std::string();
    }
    uint32_t Milliseconds() override { return timeGetTime(); }
    int64_t UnixSeconds() override { return static_cast<int64_t>(std::time(nullptr)); }
    void Sleep(uint32_t milliseconds) override { ::Sleep(milliseconds); }

    bool ToLocalTime(int64_t ticks, LocalTime& local) override {
        if (ticks < 0) {
            return false;
        }
        FILETIME utc{static_cast<DWORD>(ticks & 0xFFFFFFFF), static_cast<DWORD>(ticks >> 32)};
        SYSTEMTIME utcTime{}, localTime{};
        if (!FileTimeToSystemTime(&utc, &utcTime) ||
            !SystemTimeToTzSpecificLocalTime(nullptr, &utcTime, &localTime)) {
            return false;
        }
        local = {localTime.wYear, localTime.wMonth,  localTime.wDay,
                 localTime.wHour, localTime.wMinute, localTime.wSecond};
        return true;
    }

    std::string FormatDateTime(const LocalTime& local) override {
        SYSTEMTIME t{};
        t.wYear = static_cast<WORD>(local.year);
        t.wMonth = static_cast<WORD>(local.month);
        t.wDay = static_cast<WORD>(local.day);
        t.wHour = static_cast<WORD>(local.hour);
        t.wMinute = static_cast<WORD>(local.minute);
        t.wSecond = static_cast<WORD>(local.second);
        char date[128] = {};
        char time[128] = {};
        if (GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &t, nullptr, date, sizeof(date)) ==
                0 ||
            GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &t, nullptr, time, sizeof(time)) == 0) {
            return {};
        }
        return std::string(date) + " " + time;
    }
};

class Win32Wow64 : public Wow64Redirection {
public:
    bool Disable(uintptr_t* saved) override {
        BOOL wow64 = FALSE;
        if (!IsWow64Process(GetCurrentProcess(), &wow64) || !wow64) {
            return false;
        }
        PVOID old = nullptr;
        if (!Wow64DisableWow64FsRedirection(&old)) {
            return false;
        }
        *saved = reinterpret_cast<uintptr_t>(old);
        return true;
    }
    bool Revert(uintptr_t saved) override {
        BOOL wow64 = FALSE;
        if (!IsWow64Process(GetCurrentProcess(), &wow64) || !wow64) {
            return false;
        }
        return Wow64RevertWow64FsRedirection(reinterpret_cast<PVOID>(saved)) != 0;
    }
};

}  // namespace

std::unique_ptr<Environment> MakeEnvironment() {
    return std::make_unique<Win32Environment>();
}
std::unique_ptr<ProfileStrings> MakeProfileStrings() {
    return std::make_unique<Win32ProfileStrings>();
}
std::unique_ptr<DebugOutput> MakeDebugOutput() {
    return std::make_unique<Win32DebugOutput>();
}
std::unique_ptr<Clock> MakeClock() {
    return std::make_unique<Win32Clock>();
}
std::unique_ptr<Wow64Redirection> MakeWow64Redirection() {
    return std::make_unique<Win32Wow64>();
}

}  // namespace kestrel::os::win32
