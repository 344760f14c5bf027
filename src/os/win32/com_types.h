#pragma once
// Owners of COM resources: interface pointers, the apartment of the calling thread, BSTRs and
// shell item lists. Move-only; each releases its resource once.

#include "os/win32/windows_api.h"

#include <objbase.h>
#include <oleauto.h>

namespace kestrel::os::win32 {

// One reference to a COM interface; Release on destruction.
template <class T>
class UniqueCom {
public:
    UniqueCom() = default;
    UniqueCom(UniqueCom&& o) noexcept : m_p(o.m_p) { o.m_p = nullptr; }
    UniqueCom& operator=(UniqueCom&& o) noexcept {
        if (this != &o) {
            Reset();
            m_p = o.m_p;
            o.m_p = nullptr;
        }
        return *this;
    }
    UniqueCom(const UniqueCom&) = delete;
    UniqueCom& operator=(const UniqueCom&) = delete;
    ~UniqueCom() { Reset(); }

    void Reset() {
        if (m_p != nullptr) {
            m_p->Release();
            m_p = nullptr;
        }
    }
    // The slot that a creating call fills; anything held before is released first.
    T** Out() {
        Reset();
        return &m_p;
    }
    T* operator->() const { return m_p; }
    T* Get() const { return m_p; }
    bool Valid() const { return m_p != nullptr; }

private:
    T* m_p = nullptr;
};

// COM on the calling thread for the lifetime of the object. A thread that already has another
// apartment keeps it (RPC_E_CHANGED_MODE); COM is then usable and nothing is undone.
class ComApartment {
public:
    ComApartment() {
        HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        m_owned = SUCCEEDED(hr);
        m_usable = m_owned || hr == RPC_E_CHANGED_MODE;
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    ~ComApartment() {
        if (m_owned) {
            CoUninitialize();
        }
    }
    bool Usable() const { return m_usable; }

private:
    bool m_owned = false;
    bool m_usable = false;
};

// One BSTR; SysFreeString on destruction.
class UniqueBstr {
public:
    explicit UniqueBstr(const wchar_t* text) : m_s(SysAllocString(text)) {}
    UniqueBstr(const UniqueBstr&) = delete;
    UniqueBstr& operator=(const UniqueBstr&) = delete;
    ~UniqueBstr() { SysFreeString(m_s); }
    BSTR Get() const { return m_s; }

private:
    BSTR m_s;
};

// One VARIANT; VariantClear on destruction.
class UniqueVariant {
public:
    UniqueVariant() { VariantInit(&m_v); }
    UniqueVariant(const UniqueVariant&) = delete;
    UniqueVariant& operator=(const UniqueVariant&) = delete;
    ~UniqueVariant() { VariantClear(&m_v); }
    VARIANT* Get() { return &m_v; }
    const VARIANT& operator*() const { return m_v; }

private:
    VARIANT m_v;
};

// One item list allocated by the shell; CoTaskMemFree on destruction.
class UniquePidl {
public:
    UniquePidl() = default;
    explicit UniquePidl(void* p) : m_p(p) {}
    UniquePidl(UniquePidl&& o) noexcept : m_p(o.m_p) { o.m_p = nullptr; }
    UniquePidl& operator=(UniquePidl&& o) noexcept {
        if (this != &o) {
            CoTaskMemFree(m_p);
            m_p = o.m_p;
            o.m_p = nullptr;
        }
        return *this;
    }
    UniquePidl(const UniquePidl&) = delete;
    UniquePidl& operator=(const UniquePidl&) = delete;
    ~UniquePidl() { CoTaskMemFree(m_p); }
    void* Get() const { return m_p; }

private:
    void* m_p = nullptr;
};

}  // namespace kestrel::os::win32
