// Owners for what the system hands out outside GDI: kernel handles, registry
// keys, memory, find handles, libraries, vectored exception handlers, windows,
// all of one shape (owner.h), and COM pointers, which are shared, not owned.
#pragma once

#include <windows.h>

#include <utility>

#include "owner.h"

namespace rt {

namespace detail {

// Kernel functions answer "no handle" with null or with INVALID_HANDLE_VALUE,
// depending on the function: both mean nothing to close.
struct KernelTraits : Uncounted<HANDLE> {
    static bool Owns(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Free(HANDLE h) { CloseHandle(h); }
};
struct FindTraits : KernelTraits {
    static void Free(HANDLE h) { FindClose(h); }
};
struct RegKeyTraits : Uncounted<HKEY> {
    static void Free(HKEY key) { RegCloseKey(key); }
};
struct VirtualTraits : Uncounted<void*> {
    static void Free(void* memory) { VirtualFree(memory, 0, MEM_RELEASE); }
};
struct VectoredTraits : Uncounted<void*> {
    static void Free(void* handler) { RemoveVectoredExceptionHandler(handler); }
};
struct ModuleTraits : Uncounted<HMODULE> {
    static void Free(HMODULE module) { FreeLibrary(module); }
};
template <class T>
struct LocalTraits : Uncounted<T*> {
    static void Free(T* memory) { LocalFree(memory); }
};
struct GlobalTraits : Uncounted<HGLOBAL> {
    static void Free(HGLOBAL memory) { GlobalFree(memory); }
};
// An owned window may already be gone with its owner window.
struct WindowTraits : Uncounted<HWND> {
    static void Free(HWND window) {
        if (IsWindow(window)) DestroyWindow(window);
    }
};

}  // namespace detail

// A handle CloseHandle closes: files, processes, threads, events, pipes, jobs.
using Handle = Owner<detail::KernelTraits>;
// An open registry key. The predefined roots (HKEY_LOCAL_MACHINE, ...) are never owned.
using RegKey = Owner<detail::RegKeyTraits>;
// A handle from FindFirstFileW.
using FindHandle = Owner<detail::FindTraits>;
// Pages from VirtualAlloc, released whole.
using VirtualMemory = Owner<detail::VirtualTraits>;
// What AddVectoredExceptionHandler returns: the handler is removed with it.
using VectoredHandler = Owner<detail::VectoredTraits>;
// A library this code loaded, let go with it.
using Module = Owner<detail::ModuleTraits>;
// Memory the system allocated for the caller to LocalFree (FormatMessageW,
// CommandLineToArgvW, security descriptors).
template <class T>
using LocalMemory = Owner<detail::LocalTraits<T>>;
// Memory from GlobalAlloc, or a drop's block once it is ours to finish.
using GlobalMemory = Owner<detail::GlobalTraits>;
// A window this code made and destroys.
using WindowHandle = Owner<detail::WindowTraits>;

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
