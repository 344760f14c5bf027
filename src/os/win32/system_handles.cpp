#include "os/system_handles.h"

#include <algorithm>
#include <cstddef>
#include <vector>

#include "os/win32/win32_ports.h"
#include "os/win32/windows_api.h"

namespace kestrel::os::win32 {
namespace {

using NtStatus = LONG;

constexpr NtStatus kInfoLengthMismatch = static_cast<NtStatus>(0xC0000004);
constexpr NtStatus kBufferOverflow = static_cast<NtStatus>(0x80000005);
constexpr NtStatus kBufferTooSmall = static_cast<NtStatus>(0xC0000023);
constexpr ULONG kSystemExtendedHandleInformation = 64;
constexpr ULONG kObjectNameInformation = 1;
constexpr ULONG kProcessBasicInformation = 0;
constexpr ULONG kProcessBreakOnTermination = 29;
constexpr ULONG kProcessCommandLineInformation = 60;
constexpr ULONG kDuplicateSameAttributes = 4;
// A handle list larger than this is not believed.
constexpr size_t kMaxListBytes = size_t{1} << 28;
constexpr size_t kMaxNameBytes = 64 * 1024;
constexpr size_t kMaxCommandLineChars = 32767;

// The structures of the extended handle list and the counted strings of NTDLL, which mingw's
// winternl.h does not declare (or declares only in part).
struct HandleEntryEx {
    PVOID object;
    ULONG_PTR uniqueProcessId;
    ULONG_PTR handleValue;
    ULONG grantedAccess;
    USHORT creatorBackTraceIndex;
    USHORT objectTypeIndex;
    ULONG handleAttributes;
    ULONG reserved;
};
struct HandleListEx {
    ULONG_PTR numberOfHandles;
    ULONG_PTR reserved;
    HandleEntryEx handles[1];
};
struct CountedWide {
    USHORT length;  // bytes
    USHORT maximumLength;
    PWSTR buffer;
};
struct BasicProcessInformation {
    NtStatus exitStatus;
    PVOID pebBaseAddress;
    ULONG_PTR affinityMask;
    LONG basePriority;
    ULONG_PTR uniqueProcessId;
    ULONG_PTR inheritedFromUniqueProcessId;
};

// Where the command line sits: the PEB's ProcessParameters, and their CommandLine.
#ifdef _WIN64
constexpr size_t kPebProcessParameters = 0x20;
constexpr size_t kParametersCommandLine = 0x70;
#else
constexpr size_t kPebProcessParameters = 0x10;
constexpr size_t kParametersCommandLine = 0x40;
#endif

using QuerySystemInformation = NtStatus(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
using DuplicateObject = NtStatus(WINAPI*)(HANDLE, HANDLE, HANDLE, PHANDLE, ACCESS_MASK, ULONG,
                                          ULONG);
using QueryObject = NtStatus(WINAPI*)(HANDLE, ULONG, PVOID, ULONG, PULONG);
using CloseObject = NtStatus(WINAPI*)(HANDLE);
using QueryInformationProcess = NtStatus(WINAPI*)(HANDLE, ULONG, PVOID, ULONG, PULONG);
using StatusToError = ULONG(WINAPI*)(NtStatus);
using ProcessCriticalQuery = BOOL(WINAPI*)(HANDLE, PBOOL);

template <class F>
F Entry(HMODULE module, const char* name) {
    if (module == nullptr) {
        return nullptr;
    }
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// The native calls, looked up once.
struct Ntdll {
    Ntdll() {
        HMODULE nt = GetModuleHandleA("ntdll.dll");
        querySystem = Entry<QuerySystemInformation>(nt, "NtQuerySystemInformation");
        duplicate = Entry<DuplicateObject>(nt, "NtDuplicateObject");
        queryObject = Entry<QueryObject>(nt, "NtQueryObject");
        close = Entry<CloseObject>(nt, "NtClose");
        queryProcess = Entry<QueryInformationProcess>(nt, "NtQueryInformationProcess");
        toError = Entry<StatusToError>(nt, "RtlNtStatusToDosError");
        isProcessCritical =
            Entry<ProcessCriticalQuery>(GetModuleHandleA("kernel32.dll"), "IsProcessCritical");
    }
    uint32_t Error(NtStatus status) const {
        return toError != nullptr ? toError(status) : static_cast<uint32_t>(ERROR_GEN_FAILURE);
    }
    QuerySystemInformation querySystem = nullptr;
    DuplicateObject duplicate = nullptr;
    QueryObject queryObject = nullptr;
    CloseObject close = nullptr;
    QueryInformationProcess queryProcess = nullptr;
    StatusToError toError = nullptr;
    ProcessCriticalQuery isProcessCritical = nullptr;
};

HANDLE AsHandle(uint64_t value) {
    return reinterpret_cast<HANDLE>(static_cast<uintptr_t>(value));
}

OwnHandle AsOwn(HANDLE handle) {
    return static_cast<OwnHandle>(reinterpret_cast<uintptr_t>(handle));
}

// GetFileType on the guard thread.
DWORD WINAPI FileTypeThread(LPVOID handle) {
    return GetFileType(static_cast<HANDLE>(handle));
}

std::string NarrowCounted(const wchar_t* text, size_t bytes) {
    std::wstring wide(text, bytes / sizeof(wchar_t));
    return Narrow(wide.substr(0, wide.find(L'\0')));
}

bool Read(HANDLE process, uintptr_t address, void* out, size_t size) {
    SIZE_T got = 0;
    return ReadProcessMemory(process, reinterpret_cast<LPCVOID>(address), out, size, &got) &&
           got == size;
}

class Win32SystemHandles : public SystemHandles {
public:
    uint32_t OpenNul(OwnHandle& handle) override {
        HANDLE h = CreateFileA("NUL", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        if (h == INVALID_HANDLE_VALUE) {
            return GetLastError();
        }
        handle = AsOwn(h);
        return 0;
    }

    uint32_t List(std::vector<SystemHandle>& handles) override {
        if (m_nt.querySystem == nullptr) {
            return ERROR_NOT_SUPPORTED;
        }
        // Wine answers a short buffer with length 0, so the size is doubled until it fits.
        std::vector<std::byte> buffer(size_t{64} * 1024);
        for (;;) {
            ULONG needed = 0;
            NtStatus status = m_nt.querySystem(kSystemExtendedHandleInformation, buffer.data(),
                                               static_cast<ULONG>(buffer.size()), &needed);
            if (status == kInfoLengthMismatch) {
                size_t next = std::max<size_t>(buffer.size() * 2, size_t{needed} + 4096);
                if (next > kMaxListBytes) {
                    return ERROR_NOT_ENOUGH_MEMORY;
                }
                buffer.assign(next, std::byte{0});
                continue;
            }
            if (status < 0) {
                return m_nt.Error(status);
            }
            break;
        }
        const auto* list = reinterpret_cast<const HandleListEx*>(buffer.data());
        const size_t room =
            (buffer.size() - offsetof(HandleListEx, handles)) / sizeof(HandleEntryEx);
        const size_t count = std::min<size_t>(list->numberOfHandles, room);
        handles.clear();
        handles.reserve(count);
        for (size_t i = 0; i < count; ++i) {
            const HandleEntryEx& e = list->handles[i];
            handles.push_back({static_cast<uint32_t>(e.uniqueProcessId), e.handleValue,
                               e.objectTypeIndex, e.grantedAccess});
        }
        return 0;
    }

    uint32_t Duplicate(uint32_t pid, uint64_t value, bool closeSource, OwnHandle& copy) override {
        if (m_nt.duplicate == nullptr) {
            return ERROR_NOT_SUPPORTED;
        }
        UniqueHandle process(OpenProcess(PROCESS_DUP_HANDLE, FALSE, pid));
        if (!process.Valid()) {
            return GetLastError();
        }
        const ULONG options =
            closeSource ? DUPLICATE_CLOSE_SOURCE | DUPLICATE_SAME_ACCESS : kDuplicateSameAttributes;
        HANDLE target = nullptr;
        NtStatus status = m_nt.duplicate(process.Get(), AsHandle(value), GetCurrentProcess(),
                                         &target, 0, 0, options);
        if (status < 0) {
            return m_nt.Error(status);
        }
        copy = AsOwn(target);
        return 0;
    }

    uint32_t FileType(OwnHandle handle, uint32_t timeoutMs, uint32_t& type) override {
        UniqueHandle thread(CreateThread(nullptr, 0, FileTypeThread, AsHandle(handle), 0, nullptr));
        if (!thread.Valid()) {
            return GetLastError();
        }
        const DWORD waited = WaitForSingleObject(thread.Get(), timeoutMs);
        if (waited != WAIT_OBJECT_0) {
            const DWORD error = waited == WAIT_TIMEOUT ? WAIT_TIMEOUT : GetLastError();
            TerminateThread(thread.Get(), 0);
            return error;
        }
        DWORD code = 0;
        if (!GetExitCodeThread(thread.Get(), &code)) {
            return GetLastError();
        }
        type = code;
        return 0;
    }

    uint32_t ObjectName(OwnHandle handle, std::string& name) override {
        if (m_nt.queryObject == nullptr) {
            return ERROR_NOT_SUPPORTED;
        }
        std::vector<std::byte> buffer(4096);
        for (;;) {
            ULONG needed = 0;
            NtStatus status =
                m_nt.queryObject(AsHandle(handle), kObjectNameInformation, buffer.data(),
                                 static_cast<ULONG>(buffer.size()), &needed);
            if (status == kInfoLengthMismatch || status == kBufferOverflow ||
                status == kBufferTooSmall) {
                const size_t next = std::max<size_t>(needed, buffer.size() * 2);
                if (next > kMaxNameBytes) {
                    return ERROR_INSUFFICIENT_BUFFER;
                }
                buffer.assign(next, std::byte{0});
                continue;
            }
            if (status < 0) {
                return m_nt.Error(status);
            }
            break;
        }
        const auto* counted = reinterpret_cast<const CountedWide*>(buffer.data());
        name = counted->buffer == nullptr ? std::string()
                                          : NarrowCounted(counted->buffer, counted->length);
        return 0;
    }

    uint32_t Close(OwnHandle handle) override {
        if (m_nt.close == nullptr) {
            return CloseHandle(AsHandle(handle)) ? 0 : GetLastError();
        }
        NtStatus status = m_nt.close(AsHandle(handle));
        return status < 0 ? m_nt.Error(status) : 0;
    }

    uint32_t DosDevice(const std::string& drive, std::string& device) override {
        char buffer[1024] = {};
        if (QueryDosDeviceA(drive.c_str(), buffer, sizeof(buffer)) == 0) {
            return GetLastError();
        }
        device = buffer;  // the first name, up to its NUL
        return 0;
    }

    // Windows 8.1 and later answer ProcessCommandLineInformation; older ones, and Wine 8 (which
    // does not know that class), give the command line through the PEB's process parameters;
    // where memory cannot be read (a 64-bit process seen from the x86 build) the image path
    // stands in.
    uint32_t CommandLine(uint32_t pid, std::string& commandLine) override {
        UniqueHandle limited(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
        if (limited.Valid() && FromInformationClass(limited.Get(), commandLine)) {
            return 0;
        }
        UniqueHandle full(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid));
        if (full.Valid() && FromPeb(full.Get(), commandLine)) {
            return 0;
        }
        HANDLE any = full.Valid() ? full.Get() : limited.Get();
        if (any == nullptr) {
            return GetLastError();
        }
        char image[MAX_PATH * 2] = {};
        DWORD size = sizeof(image);
        if (!QueryFullProcessImageNameA(any, 0, image, &size)) {
            return GetLastError();
        }
        commandLine.assign(image, size);
        return 0;
    }

    // IsProcessCritical where kernel32 has it (Windows 8.1 and later), else the break-on-
    // termination flag. Wine 8 has neither: the answer is then an error.
    uint32_t IsCritical(uint32_t pid, bool& critical) override {
        UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
        if (!process.Valid()) {
            return GetLastError();
        }
        if (m_nt.isProcessCritical != nullptr) {
            BOOL answer = FALSE;
            if (m_nt.isProcessCritical(process.Get(), &answer)) {
                critical = answer != FALSE;
                return 0;
            }
        }
        if (m_nt.queryProcess == nullptr) {
            return ERROR_NOT_SUPPORTED;
        }
        UniqueHandle full(OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, pid));
        if (!full.Valid()) {
            return GetLastError();
        }
        ULONG flag = 0;
        NtStatus status =
            m_nt.queryProcess(full.Get(), kProcessBreakOnTermination, &flag, sizeof(flag), nullptr);
        if (status < 0) {
            return m_nt.Error(status);
        }
        critical = flag != 0;
        return 0;
    }

private:
    bool FromInformationClass(HANDLE process, std::string& commandLine) {
        if (m_nt.queryProcess == nullptr) {
            return false;
        }
        std::vector<std::byte> buffer(1024);
        for (int attempt = 0; attempt < 4; ++attempt) {
            ULONG needed = 0;
            NtStatus status =
                m_nt.queryProcess(process, kProcessCommandLineInformation, buffer.data(),
                                  static_cast<ULONG>(buffer.size()), &needed);
            if (status == kInfoLengthMismatch || status == kBufferOverflow ||
                status == kBufferTooSmall) {
                const size_t next = std::max<size_t>(needed, buffer.size() * 2);
                buffer.assign(std::min(next, sizeof(CountedWide) + kMaxCommandLineChars * 2 + 2),
                              std::byte{0});
                continue;
            }
            if (status < 0) {
                return false;
            }
            const auto* counted = reinterpret_cast<const CountedWide*>(buffer.data());
            if (counted->buffer == nullptr) {
                return false;
            }
            commandLine = NarrowCounted(counted->buffer, counted->length);
            return true;
        }
        return false;
    }

    bool FromPeb(HANDLE process, std::string& commandLine) {
        if (m_nt.queryProcess == nullptr) {
            return false;
        }
        BasicProcessInformation basic{};
        if (m_nt.queryProcess(process, kProcessBasicInformation, &basic, sizeof(basic), nullptr) <
                0 ||
            basic.pebBaseAddress == nullptr) {
            return false;
        }
        uintptr_t parameters = 0;
        CountedWide counted{};
        if (!Read(process,
                  reinterpret_cast<uintptr_t>(basic.pebBaseAddress) + kPebProcessParameters,
                  &parameters, sizeof(parameters)) ||
            parameters == 0 ||
            !Read(process, parameters + kParametersCommandLine, &counted, sizeof(counted)) ||
            counted.buffer == nullptr) {
            return false;
        }
        std::wstring wide(std::min<size_t>(counted.length / 2, kMaxCommandLineChars), L'\0');
        if (!wide.empty() && !Read(process, reinterpret_cast<uintptr_t>(counted.buffer),
                                   wide.data(), wide.size() * sizeof(wchar_t))) {
            return false;
        }
        commandLine = NarrowCounted(wide.data(), wide.size() * sizeof(wchar_t));
        return true;
    }

    Ntdll m_nt;
};

}  // namespace

std::unique_ptr<SystemHandles> MakeSystemHandles() {
    return std::make_unique<Win32SystemHandles>();
}

}  // namespace kestrel::os::win32
