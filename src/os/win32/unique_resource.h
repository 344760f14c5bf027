#pragma once
// The owner of one Win32 resource (a handle, a key, a buffer the system allocated). Traits
// name the resource: Handle (its type), Invalid() (the value that owns nothing), IsValid(h)
// (false for every value that owns nothing, where a kind has more than one) and Close(h).
// Move-only; the resource is closed once, by whichever owner holds it last.

#include <utility>

namespace kestrel::os::win32 {

template <class Traits>
class UniqueResource {
public:
    using Handle = typename Traits::Handle;

    UniqueResource() = default;
    explicit UniqueResource(Handle handle) noexcept : m_handle(std::move(handle)) {}
    UniqueResource(UniqueResource&& other) noexcept : m_handle(other.Release()) {}
    UniqueResource& operator=(UniqueResource&& other) noexcept {
        if (this != &other) {
            Reset(other.Release());
        }
        return *this;
    }
    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;
    ~UniqueResource() { Reset(); }

    const Handle& Get() const { return m_handle; }
    bool Valid() const { return Traits::IsValid(m_handle); }

    // Hands the resource over to the caller, who closes it; this owner then holds nothing.
    Handle Release() noexcept {
        Handle handle = std::move(m_handle);
        m_handle = Traits::Invalid();
        return handle;
    }
    // Closes what is held and takes handle instead.
    void Reset(Handle handle = Traits::Invalid()) noexcept {
        if (Traits::IsValid(m_handle)) {
            Traits::Close(m_handle);
        }
        m_handle = std::move(handle);
    }
    // The slot that a creating call fills; what was held before is closed first.
    Handle* Out() noexcept {
        Reset();
        return &m_handle;
    }

private:
    Handle m_handle = Traits::Invalid();
};

}  // namespace kestrel::os::win32
