// COM entered on the calling thread for one scope and left at its end, when
// entering succeeded: each CoInitializeEx or OleInitialize has its pair.
#pragma once

#include <ole2.h>

namespace rt {

class ComScope {
public:
    explicit ComScope(DWORD model) : result_(CoInitializeEx(nullptr, model)) {}
    ~ComScope() {
        if (SUCCEEDED(result_)) CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
    bool Entered() const { return SUCCEEDED(result_); }

private:
    HRESULT result_;
};

// The same for OLE, which a thread with windows, drag and drop or the clipboard needs.
class OleScope {
public:
    OleScope() : result_(OleInitialize(nullptr)) {}
    ~OleScope() {
        if (SUCCEEDED(result_)) OleUninitialize();
    }
    OleScope(const OleScope&) = delete;
    OleScope& operator=(const OleScope&) = delete;
    bool Entered() const { return SUCCEEDED(result_); }

private:
    HRESULT result_;
};

}  // namespace rt
