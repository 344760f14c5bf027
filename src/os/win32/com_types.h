#pragma once
// Owners of COM resources: interface pointers, the apartment of the calling thread, BSTRs,
// VARIANTs and shell item lists. Move-only; each releases its resource once.

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

struct BstrTraits {
    using Handle = BSTR;
    static Handle Invalid() { return nullptr; }
    static bool IsValid(Handle s) { return s != nullptr; }
    static void Close(Handle s) { SysFreeString(s); }
};

// A VARIANT is owned by value: VT_EMPTY owns nothing.
struct VariantTraits {
    using Handle = VARIANT;
    static Handle Invalid() {
        VARIANT v;
        VariantInit(&v);
        return v;
    }
    static bool IsValid(const Handle& v) { return v.vt != VT_EMPTY; }
    static void Close(Handle& v) { VariantClear(&v); }
};

struct ShellItemListTraits {
    using Handle = void*;
    static Handle Invalid() { return nullptr; }
    static bool IsValid(Handle p) { return p != nullptr; }
    static void Close(Handle p) { CoTaskMemFree(p); }
};

// One BSTR; SysFreeString.
using UniqueBstr = UniqueResource<BstrTraits>;
// One VARIANT; VariantClear. Out() is the slot that a reading call fills.
using UniqueVariant = UniqueResource<VariantTraits>;
// One item list allocated by the shell; CoTaskMemFree.
using UniquePidl = UniqueResource<ShellItemListTraits>;

// The held VARIANT as the source of a call that only reads it but is declared without const
// (VariantChangeType in mingw-w64's headers).
inline VARIANT* Source(const UniqueVariant& v) {
    return const_cast<VARIANT*>(&v.Get());
}

// A new BSTR holding text.
inline UniqueBstr MakeBstr(const wchar_t* text) {
    return UniqueBstr(SysAllocString(text));
}

}  // namespace kestrel::os::win32
