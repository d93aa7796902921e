#include "errors.h"

#include <windows.h>

namespace rt {
namespace {

thread_local ErrorInfo currentError;

std::string Narrow(const ErrorInfo& info) {
    std::wstring text = L"Run-time error " + std::to_wstring(info.Number) + L": " + info.Description;
    if (!info.Source.empty()) text += L" (" + info.Source + L")";
    int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), n,
                        nullptr, nullptr);
    return out;
}

}  // namespace

RuntimeError::RuntimeError(ErrorInfo info) : info_(std::move(info)), narrow_(Narrow(info_)) {}

void Raise(long number, const std::wstring& source, const std::wstring& description,
           unsigned long lastDllError, long hresult) {
    Raise(ErrorInfo{number, source, description, lastDllError, hresult});
}

void Raise(const ErrorInfo& info) { throw RuntimeError(info); }

const ErrorInfo& Err() { return currentError; }
void ClearErr() { currentError = ErrorInfo{}; }
void RecordErr(const ErrorInfo& info) { currentError = info; }

}  // namespace rt
