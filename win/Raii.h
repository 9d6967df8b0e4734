#pragma once
// Owning wrappers for the Windows handles the program uses. Each closes its
// handle exactly once; moving transfers ownership.
#include <windows.h>
#include <objbase.h>

#include <utility>

namespace shubiao {

template <typename T, typename Traits>
class Unique {
public:
    Unique() = default;
    explicit Unique(T value) : value_(value) {}
    Unique(const Unique&) = delete;
    Unique& operator=(const Unique&) = delete;
    Unique(Unique&& other) noexcept : value_(other.release()) {}
    Unique& operator=(Unique&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    ~Unique() { reset(); }

    T get() const { return value_; }
    explicit operator bool() const { return value_ != Traits::invalid(); }
    T release() { return std::exchange(value_, Traits::invalid()); }
    void reset(T value = Traits::invalid()) {
        T old = std::exchange(value_, value);
        if (old != Traits::invalid()) Traits::close(old);
    }
    // For APIs that return the handle through an out parameter.
    T* put() {
        reset();
        return &value_;
    }

private:
    T value_ = Traits::invalid();
};

struct HKeyTraits {
    static HKEY invalid() { return nullptr; }
    static void close(HKEY key) { RegCloseKey(key); }
};
struct FileTraits {
    static HANDLE invalid() { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE h) { CloseHandle(h); }
};
struct HandleTraits {
    static HANDLE invalid() { return nullptr; }
    static void close(HANDLE h) { CloseHandle(h); }
};
struct CursorTraits {
    static HCURSOR invalid() { return nullptr; }
    static void close(HCURSOR c) { DestroyCursor(c); }
};
struct IconTraits {
    static HICON invalid() { return nullptr; }
    static void close(HICON i) { DestroyIcon(i); }
};
template <typename G>
struct GdiTraits {
    static G invalid() { return nullptr; }
    static void close(G g) { DeleteObject(g); }
};
struct DcTraits {
    static HDC invalid() { return nullptr; }
    static void close(HDC dc) { DeleteDC(dc); }
};
struct ModuleTraits {
    static HMODULE invalid() { return nullptr; }
    static void close(HMODULE module) { FreeLibrary(module); }
};
struct MenuTraits {
    static HMENU invalid() { return nullptr; }
    static void close(HMENU menu) { DestroyMenu(menu); }
};
struct FindTraits {
    static HANDLE invalid() { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE h) { FindClose(h); }
};

using UniqueHKey = Unique<HKEY, HKeyTraits>;
using UniqueFile = Unique<HANDLE, FileTraits>;
using UniqueHandle = Unique<HANDLE, HandleTraits>;
using UniqueCursor = Unique<HCURSOR, CursorTraits>;
using UniqueIcon = Unique<HICON, IconTraits>;
using UniqueBitmap = Unique<HBITMAP, GdiTraits<HBITMAP>>;
using UniqueBrush = Unique<HBRUSH, GdiTraits<HBRUSH>>;
using UniqueFont = Unique<HFONT, GdiTraits<HFONT>>;
using UniquePen = Unique<HPEN, GdiTraits<HPEN>>;
using UniqueMemDC = Unique<HDC, DcTraits>;
using UniqueMenu = Unique<HMENU, MenuTraits>;
using UniqueFind = Unique<HANDLE, FindTraits>;
using UniqueModule = Unique<HMODULE, ModuleTraits>;

// Selects a GDI object into a DC for the lifetime of the guard.
class SelectGuard {
public:
    SelectGuard(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
    SelectGuard(const SelectGuard&) = delete;
    SelectGuard& operator=(const SelectGuard&) = delete;
    ~SelectGuard() {
        if (old_ != nullptr && old_ != HGDI_ERROR) SelectObject(dc_, old_);
    }

private:
    HDC dc_;
    HGDIOBJ old_;
};

// A COM interface pointer that releases what it holds.
template <typename I>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) {
            reset();
            p_ = std::exchange(other.p_, nullptr);
        }
        return *this;
    }
    ~ComPtr() { reset(); }

    I* get() const { return p_; }
    I* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    I** put() {
        reset();
        return &p_;
    }
    void** put_void() { return reinterpret_cast<void**>(put()); }
    void reset() {
        if (p_ != nullptr) std::exchange(p_, nullptr)->Release();
    }

private:
    I* p_ = nullptr;
};

// Frees memory the shell hands out with CoTaskMemAlloc.
template <typename T>
class CoTaskMem {
public:
    CoTaskMem() = default;
    CoTaskMem(const CoTaskMem&) = delete;
    CoTaskMem& operator=(const CoTaskMem&) = delete;
    ~CoTaskMem() { CoTaskMemFree(p_); }
    T get() const { return p_; }
    T* put() {
        CoTaskMemFree(p_);
        p_ = nullptr;
        return &p_;
    }

private:
    T p_ = nullptr;
};

}  // namespace shubiao
