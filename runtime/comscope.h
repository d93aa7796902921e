// COM entered on the calling thread for one scope and left at its end, when
// entering succeeded: each CoInitializeEx or OleInitialize has its pair.
#pragma once

#include <ole2.h>

namespace rt {

class ComScope {
public:
    explicit ComScope(DWORD model) : ComScope(CoInitializeEx(nullptr, model), &CoUninitialize) {}
    // OLE too, which a thread with windows, drag and drop or the clipboard needs.
    static ComScope Ole() { return ComScope(OleInitialize(nullptr), &OleUninitialize); }
    ~ComScope() {
        if (SUCCEEDED(result_)) leave_();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
    bool Entered() const { return SUCCEEDED(result_); }

private:
    ComScope(HRESULT result, void(WINAPI* leave)()) : result_(result), leave_(leave) {}

    HRESULT result_;
    void(WINAPI* leave_)();
};

}  // namespace rt
