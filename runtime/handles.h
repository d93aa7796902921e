// Owners for what the system hands out outside GDI: kernel handles, registry
// keys, memory the system allocated with LocalAlloc or VirtualAlloc, find
// handles, libraries, vectored exception handlers and COM pointers. Each
// holds one, cannot be copied, can be moved, and gives it back at scope end,
// as gdi::Object does for drawing objects.
#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>
#include <utility>

namespace rt {

namespace detail {

// Kernel functions answer "no handle" with null or with INVALID_HANDLE_VALUE,
// depending on the function: both mean nothing to close.
template <class H>
bool IsHandle(H h) {
    return h != nullptr && reinterpret_cast<HANDLE>(h) != INVALID_HANDLE_VALUE;
}

struct CloseKernelHandle {
    void operator()(HANDLE h) const { CloseHandle(h); }
};
struct CloseRegKey {
    void operator()(HKEY key) const { RegCloseKey(key); }
};
struct CloseFindHandle {
    void operator()(HANDLE h) const { FindClose(h); }
};
struct ReleaseVirtual {
    void operator()(void* memory) const { VirtualFree(memory, 0, MEM_RELEASE); }
};
struct RemoveVectored {
    void operator()(void* handler) const { RemoveVectoredExceptionHandler(handler); }
};
struct FreeModule {
    void operator()(HMODULE module) const { FreeLibrary(module); }
};

}  // namespace detail

template <class Close, class H = HANDLE>
class BasicHandle {
public:
    BasicHandle() = default;
    explicit BasicHandle(H handle) : handle_(detail::IsHandle(handle) ? handle : nullptr) {}
    ~BasicHandle() { Reset(); }
    BasicHandle(const BasicHandle&) = delete;
    BasicHandle& operator=(const BasicHandle&) = delete;
    BasicHandle(BasicHandle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    BasicHandle& operator=(BasicHandle&& other) noexcept {
        if (this != &other) Reset(std::exchange(other.handle_, nullptr));
        return *this;
    }

    H Get() const { return Held(); }
    explicit operator bool() const { return Held() != nullptr; }
    // Gives the handle away; the caller closes it.
    H Release() {
        const H held = Held();
        handle_ = nullptr;
        return held;
    }
    void Reset(H handle = nullptr) {
        if (const H held = Held()) Close{}(held);
        handle_ = detail::IsHandle(handle) ? handle : nullptr;
    }
    // For functions that hand a handle out through a pointer: the old one is
    // closed first. What they write may be INVALID_HANDLE_VALUE, which owns nothing.
    H* Put() {
        Reset();
        return &handle_;
    }

private:
    H Held() const { return detail::IsHandle(handle_) ? handle_ : nullptr; }

    H handle_ = nullptr;
};

// A handle CloseHandle closes: files, processes, threads, events, pipes, jobs.
using Handle = BasicHandle<detail::CloseKernelHandle>;
// An open registry key. The predefined roots (HKEY_LOCAL_MACHINE, ...) are never owned.
using RegKey = BasicHandle<detail::CloseRegKey, HKEY>;
// A handle from FindFirstFileW.
using FindHandle = BasicHandle<detail::CloseFindHandle>;
// Pages from VirtualAlloc, released whole.
using VirtualMemory = std::unique_ptr<void, detail::ReleaseVirtual>;
// What AddVectoredExceptionHandler returns: the handler is removed with it.
using VectoredHandler = std::unique_ptr<void, detail::RemoveVectored>;
// A library this code loaded, let go with it.
using Module = std::unique_ptr<std::remove_pointer_t<HMODULE>, detail::FreeModule>;

// Memory the system allocated for the caller to LocalFree (FormatMessageW,
// CommandLineToArgvW, security descriptors).
template <class T>
class LocalMemory {
public:
    LocalMemory() = default;
    explicit LocalMemory(T* memory) : memory_(memory) {}
    ~LocalMemory() {
        if (memory_) LocalFree(memory_);
    }
    LocalMemory(const LocalMemory&) = delete;
    LocalMemory& operator=(const LocalMemory&) = delete;
    LocalMemory(LocalMemory&& other) noexcept : memory_(std::exchange(other.memory_, nullptr)) {}
    LocalMemory& operator=(LocalMemory&& other) noexcept {
        if (this != &other) {
            if (memory_) LocalFree(memory_);
            memory_ = std::exchange(other.memory_, nullptr);
        }
        return *this;
    }

    T* Get() const { return memory_; }
    explicit operator bool() const { return memory_ != nullptr; }
    // For functions that hand the memory out through a pointer.
    T** Put() {
        if (memory_) LocalFree(std::exchange(memory_, nullptr));
        return &memory_;
    }

private:
    T* memory_ = nullptr;
};

// One reference to a COM object.
template <class T>
class ComPtr {
public:
    ComPtr() = default;
    // Takes over a reference the caller already holds (a fresh object, an out parameter).
    explicit ComPtr(T* object) : object_(object) {}
    // A reference of its own to an object the caller only lends (an argument of a call).
    static ComPtr Share(T* object) {
        if (object) object->AddRef();
        return ComPtr(object);
    }
    ~ComPtr() { Reset(); }
    ComPtr(const ComPtr& other) : object_(other.object_) {
        if (object_) object_->AddRef();
    }
    ComPtr& operator=(const ComPtr& other) {
        if (other.object_) other.object_->AddRef();
        Reset(other.object_);
        return *this;
    }
    ComPtr(ComPtr&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) Reset(std::exchange(other.object_, nullptr));
        return *this;
    }

    T* Get() const { return object_; }
    T* operator->() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }
    T** Put() {
        Reset();
        return &object_;
    }
    void Reset(T* object = nullptr) {
        if (object_) object_->Release();
        object_ = object;
    }

private:
    T* object_ = nullptr;
};

}  // namespace rt
