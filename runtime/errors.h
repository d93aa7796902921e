// Run-time errors: a number, a source and a description, raised to the caller
// as an exception, or recorded per thread by routines that suppress errors and
// test afterwards whether one happened.
#pragma once

#include <exception>
#include <string>

#include "errnumbers.h"

namespace rt {

struct ErrorInfo {
    long Number = 0;           // 0: no error recorded
    std::wstring Source;
    std::wstring Description;
    unsigned long LastDllError = 0;  // the system's error code, where a platform call failed
    long HResult = 0;                // a failure HRESULT, where a COM call or export failed

    bool IsSet() const { return Number != 0; }
};

class RuntimeError : public std::exception {
public:
    explicit RuntimeError(ErrorInfo info);
    const ErrorInfo& Info() const { return info_; }
    long Number() const { return info_.Number; }
    const char* what() const noexcept override { return narrow_.c_str(); }

private:
    ErrorInfo info_;
    std::string narrow_;
};

// Throws a RuntimeError.
[[noreturn]] void Raise(long number, const std::wstring& source, const std::wstring& description,
                        unsigned long lastDllError = 0, long hresult = 0);
[[noreturn]] void Raise(const ErrorInfo& info);

// The calling thread's error record ("the current run-time error").
const ErrorInfo& Err();
void ClearErr();
void RecordErr(const ErrorInfo& info);

// Runs body with errors suppressed: a RuntimeError thrown inside is recorded as
// the current error instead of propagating. Returns true when an error was recorded.
template <class Body>
bool Suppress(Body&& body) {
    try {
        body();
        return false;
    } catch (const RuntimeError& e) {
        RecordErr(e.Info());
        return true;
    }
}

}  // namespace rt
