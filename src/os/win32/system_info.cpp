#include "os/win32/windows_api.h"

#include <userenv.h>
#include <wbemidl.h>

#include "os/win32/com_types.h"
#include "os/win32/win32_ports.h"

namespace kestrel::os::win32 {
namespace {

// The size of OSVERSIONINFOA, the record without the service-pack, suite and product fields.
constexpr DWORD kShortRecordSize = 148;

bool QuerySku(uint32_t& sku) {
    ComApartment apartment;
    if (!apartment.Usable()) {
        return false;
    }
    // Fails harmlessly when the process has set its security already.
    (void)CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_DEFAULT,
                               RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE, nullptr);
    UniqueCom<IWbemLocator> locator;
    if (FAILED(CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                                reinterpret_cast<void**>(locator.Out())))) {
        return false;
    }
    UniqueCom<IWbemServices> services;
    UniqueBstr space = MakeBstr(L"ROOT\\CIMV2");
    if (FAILED(locator->ConnectServer(space.Get(), nullptr, nullptr, nullptr, 0, nullptr, nullptr,
                                      services.Out()))) {
        return false;
    }
    (void)CoSetProxyBlanket(services.Get(), RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr,
                            RPC_C_AUTHN_LEVEL_CALL, RPC_C_IMP_LEVEL_IMPERSONATE, nullptr,
                            EOAC_NONE);
    UniqueBstr language = MakeBstr(L"WQL");
    UniqueBstr query = MakeBstr(L"SELECT OperatingSystemSKU FROM Win32_OperatingSystem");
    UniqueCom<IEnumWbemClassObject> rows;
    if (FAILED(services->ExecQuery(language.Get(), query.Get(),
                                   WBEM_FLAG_FORWARD_ONLY | WBEM_FLAG_RETURN_IMMEDIATELY, nullptr,
                                   rows.Out()))) {
        return false;
    }
    bool found = false;
    while (true) {
        UniqueCom<IWbemClassObject> row;
        ULONG returned = 0;
        if (rows->Next(WBEM_INFINITE, 1, row.Out(), &returned) != S_OK || returned == 0) {
            break;
        }
        UniqueVariant value;
        UniqueVariant number;
        if (SUCCEEDED(row->Get(L"OperatingSystemSKU", 0, value.Out(), nullptr, nullptr)) &&
            SUCCEEDED(VariantChangeType(number.Out(), Source(value), 0, VT_UI4))) {
            sku = number.Get().ulVal;  // the last instance wins
            found = true;
        }
    }
    return found;
}

class Win32SystemInfo : public SystemInfo {
public:
    bool Version(bool extended, OsVersionRecord& record) override {
        OSVERSIONINFOEXA info{};
        info.dwOSVersionInfoSize = extended ? sizeof(OSVERSIONINFOEXA) : kShortRecordSize;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
        if (!GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&info))) {
            return false;
        }
#pragma GCC diagnostic pop
        record.major = info.dwMajorVersion;
        record.minor = info.dwMinorVersion;
        record.build = info.dwBuildNumber;
        record.platformId = info.dwPlatformId;
        record.csdVersion.assign(info.szCSDVersion, sizeof(info.szCSDVersion));
        record.servicePackMajor = extended ? info.wServicePackMajor : 0;
        record.servicePackMinor = extended ? info.wServicePackMinor : 0;
        record.suiteMask = extended ? info.wSuiteMask : 0;
        record.productType = extended ? info.wProductType : 0;
        return true;
    }

    int CleanBoot() override {
        return GetSystemMetrics(SM_CLEANBOOT);
    }

    bool OperatingSystemSku(uint32_t& sku) override {
        return QuerySku(sku);
    }

    std::string ProfilesDirectory() override {
        char buffer[256] = {};
        DWORD size = 255;
        if (!GetProfilesDirectoryA(buffer, &size)) {
            return {};
        }
        return buffer;  // up to the first NUL
    }
};

}  // namespace

std::unique_ptr<SystemInfo> MakeSystemInfo() {
    return std::make_unique<Win32SystemInfo>();
}

}  // namespace kestrel::os::win32
