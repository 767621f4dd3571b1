#pragma once
// The one owner of anything that must be given back: a Win32 handle, a GDI object, a DC taken
// from a window, an object selected into a DC, a lock of global memory. The closer says how it is
// given back; it may carry state (the window a DC came from, the DC an object was selected into),
// and it may name the value that means "nothing held" (INVALID_HANDLE_VALUE for files) by a static
// Invalid() member; without one, the null value is used.
#include <type_traits>
#include <utility>

namespace owned_handle_detail {
template <class H, class Closer, class = void>
struct TInvalid {
    static H Value() { return H{}; }
};
template <class H, class Closer>
struct TInvalid<H, Closer, std::void_t<decltype(Closer::Invalid())>> {
    static H Value() { return Closer::Invalid(); }
};
} // namespace owned_handle_detail

// Releases what it holds exactly once, when it goes or on Reset/Close. Movable, not copyable.
template <class H, class Closer>
class TOwnedHandle {
public:
    static H Invalid() { return owned_handle_detail::TInvalid<H, Closer>::Value(); }

    TOwnedHandle() = default;
    explicit TOwnedHandle(H handle, Closer closer = Closer())
        : handle_(handle), closer_(std::move(closer))
    {
    }
    ~TOwnedHandle() { Close(); }

    TOwnedHandle(TOwnedHandle&& other) noexcept
        : handle_(other.Release()), closer_(std::move(other.closer_))
    {
    }
    TOwnedHandle& operator=(TOwnedHandle&& other) noexcept
    {
        if (this != &other) {
            H taken = other.Release();
            Close();
            closer_ = std::move(other.closer_);
            handle_ = taken;
        }
        return *this;
    }
    TOwnedHandle(const TOwnedHandle&) = delete;
    TOwnedHandle& operator=(const TOwnedHandle&) = delete;

    H Get() const { return handle_; }
    explicit operator bool() const { return handle_ != Invalid(); }

    // Gives the handle up without releasing it.
    H Release() { return std::exchange(handle_, Invalid()); }
    // Releases the held handle (if any) and holds the new one, with the same closer.
    void Reset(H handle = Invalid())
    {
        H old = std::exchange(handle_, handle);
        if (old != Invalid() && old != handle)
            closer_(old);
    }
    // Releases now. True unless the closer reported a failure (for a file written through this
    // handle, a failed close can mean the last buffered writes never reached the disk).
    bool Close()
    {
        H old = Release();
        if (old == Invalid())
            return true;
        if constexpr (std::is_void_v<decltype(closer_(old))>) {
            closer_(old);
            return true;
        } else {
            return static_cast<bool>(closer_(old));
        }
    }

private:
    H handle_ = Invalid();
    Closer closer_{};
};
