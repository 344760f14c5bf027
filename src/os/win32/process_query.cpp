#include "os/win32/windows_api.h"

#include <wbemidl.h>

#include <memory>

#include "os/process_query.h"
#include "os/win32/com_types.h"
#include "os/win32/win32_ports.h"

namespace kestrel::os::win32 {
namespace {

uint32_t Code(HRESULT hr) {
    return static_cast<uint32_t>(hr);
}

// The WMI path of one Win32_Process instance.
std::wstring InstancePath(uint32_t pid) {
    return L"Win32_Process.Handle=\"" + std::to_wstring(pid) + L"\"";
}

// The connection to root\cimv2 is made at the first call and kept: binding costs far more
// than a query. COM stays initialised on the calling thread as long as the connection lives.
class Win32ProcessQuery : public ProcessQuery {
public:
    uint32_t List(std::vector<QueriedProcess>& processes) override {
        processes.clear();
        if (uint32_t rc = Connect()) {
            return rc;
        }
        UniqueBstr language = MakeBstr(L"WQL");
        UniqueBstr query = MakeBstr(L"Select * from Win32_Process");
        UniqueCom<IEnumWbemClassObject> rows;
        HRESULT hr = m_services->ExecQuery(language.Get(), query.Get(),
                                           WBEM_FLAG_FORWARD_ONLY | WBEM_FLAG_RETURN_IMMEDIATELY,
                                           nullptr, rows.Out());
        if (FAILED(hr)) {
            return Code(hr);
        }
        // Every row is read before any method runs: Wine rebuilds the class's table for a
        // method call, which spoils rows still being read.
        for (;;) {
            UniqueCom<IWbemClassObject> row;
            ULONG returned = 0;
            hr = rows->Next(WBEM_INFINITE, 1, row.Out(), &returned);
            if (hr != S_OK || returned == 0) {
                break;
            }
            QueriedProcess process;
            UniqueVariant name;
            if (SUCCEEDED(row->Get(L"Name", 0, name.Out(), nullptr, nullptr)) &&
                name.Get().vt == VT_BSTR && name.Get().bstrVal != nullptr) {
                process.name = Narrow(name.Get().bstrVal);
            }
            UniqueVariant id;
            UniqueVariant number;
            if (SUCCEEDED(row->Get(L"ProcessId", 0, id.Out(), nullptr, nullptr)) &&
                SUCCEEDED(VariantChangeType(number.Out(), Source(id), 0, VT_UI4))) {
                process.pid = number.Get().ulVal;
            }
            processes.push_back(std::move(process));
        }
        return FAILED(hr) ? Code(hr) : 0;
    }

    uint32_t GetOwner(uint32_t pid, std::string& user) override {
        UniqueCom<IWbemClassObject> out;
        if (uint32_t rc = CallMethod(pid, L"GetOwner", nullptr, out)) {
            return rc;
        }
        uint32_t result = ReturnValue(out);
        if (result == 0) {
            UniqueVariant name;
            if (SUCCEEDED(out->Get(L"User", 0, name.Out(), nullptr, nullptr)) &&
                name.Get().vt == VT_BSTR && name.Get().bstrVal != nullptr) {
                user = Narrow(name.Get().bstrVal);
            }
        }
        return result;
    }

    uint32_t Terminate(uint32_t pid) override {
        if (uint32_t rc = Connect()) {
            return rc;
        }
        // The method's one argument, Reason, is the exit code: 0.
        UniqueCom<IWbemClassObject> inputs;
        UniqueCom<IWbemClassObject> processClass;
        UniqueBstr className = MakeBstr(L"Win32_Process");
        HRESULT hr =
            m_services->GetObject(className.Get(), 0, nullptr, processClass.Out(), nullptr);
        if (FAILED(hr)) {
            return Code(hr);
        }
        UniqueCom<IWbemClassObject> signature;
        hr = processClass->GetMethod(L"Terminate", 0, signature.Out(), nullptr);
        if (FAILED(hr)) {
            return Code(hr);
        }
        if (signature.Valid() && SUCCEEDED(signature->SpawnInstance(0, inputs.Out()))) {
            // A VT_I4 holds nothing to free.
            VARIANT reason;
            VariantInit(&reason);
            reason.vt = VT_I4;
            reason.lVal = 0;
            (void)inputs->Put(L"Reason", 0, &reason, 0);
        }
        UniqueCom<IWbemClassObject> out;
        if (uint32_t rc = CallMethod(pid, L"Terminate", inputs.Get(), out)) {
            return rc;
        }
        return ReturnValue(out);
    }

private:
    uint32_t Connect() {
        if (m_services.Valid()) {
            return 0;
        }
        if (!m_apartment) {
            m_apartment = std::make_unique<ComApartment>();
        }
        if (!m_apartment->Usable()) {
            return Code(CO_E_NOTINITIALIZED);
        }
        // Fails harmlessly when the process has set its security already.
        (void)CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_DEFAULT,
                                   RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE, nullptr);
        UniqueCom<IWbemLocator> locator;
        HRESULT hr = CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_IWbemLocator, reinterpret_cast<void**>(locator.Out()));
        if (FAILED(hr)) {
            return Code(hr);
        }
        UniqueBstr space = MakeBstr(L"ROOT\\CIMV2");
        UniqueCom<IWbemServices> services;
        hr = locator->ConnectServer(space.Get(), nullptr, nullptr, nullptr, 0, nullptr, nullptr,
                                    services.Out());
        if (FAILED(hr)) {
            return Code(hr);
        }
        (void)CoSetProxyBlanket(services.Get(), RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr,
                                RPC_C_AUTHN_LEVEL_CALL, RPC_C_IMP_LEVEL_IMPERSONATE, nullptr,
                                EOAC_NONE);
        m_services = std::move(services);
        return 0;
    }

    uint32_t CallMethod(uint32_t pid, const wchar_t* method, IWbemClassObject* inputs,
                        UniqueCom<IWbemClassObject>& out) {
        if (uint32_t rc = Connect()) {
            return rc;
        }
        UniqueBstr path = MakeBstr(InstancePath(pid).c_str());
        UniqueBstr name = MakeBstr(method);
        HRESULT hr =
            m_services->ExecMethod(path.Get(), name.Get(), 0, nullptr, inputs, out.Out(), nullptr);
        if (FAILED(hr)) {
            return Code(hr);
        }
        return out.Valid() ? 0 : Code(WBEM_E_FAILED);
    }

    static uint32_t ReturnValue(UniqueCom<IWbemClassObject>& out) {
        UniqueVariant value;
        UniqueVariant number;
        if (FAILED(out->Get(L"ReturnValue", 0, value.Out(), nullptr, nullptr)) ||
            FAILED(VariantChangeType(number.Out(), Source(value), 0, VT_UI4))) {
            return Code(WBEM_E_FAILED);
        }
        return number.Get().ulVal;
    }

    std::unique_ptr<ComApartment> m_apartment;  // declared first: released last
    UniqueCom<IWbemServices> m_services;
};

}  // namespace

std::unique_ptr<ProcessQuery> MakeProcessQuery() {
    return std::make_unique<Win32ProcessQuery>();
}

}  // namespace kestrel::os::win32
