// Run-time errors that nobody above can receive: an event handler's error that
// reaches a window procedure or the message loop. Unwinding through the system's
// own frames would end the process, so the error is reported here and the
// program goes on.
#pragma once

#include <windows.h>

#include <cstring>
#include <exception>
#include <functional>
#include <string>

#include "errors.h"

namespace rt {

// The text shown for an unhandled error, e.g. "Run-time error 380:\r\nInvalid property value".
std::wstring UnhandledErrorText(const ErrorInfo& info);

// Shows the error in an "Error!" message box (or hands it to the handler set below).
void ReportUnhandledError(const ErrorInfo& info);

// Replaces the message box, e.g. for a host that logs instead; empty restores it.
void SetUnhandledErrorHandler(std::function<void(const ErrorInfo&)> handler);

// Runs body, reporting any error that escapes it; `fallback` is the result then.
template <class Body>
LRESULT Guarded(Body&& body, LRESULT fallback = 0) {
    try {
        return body();
    } catch (const RuntimeError& e) {
        ReportUnhandledError(e.Info());
    } catch (const std::exception& e) {
        ErrorInfo info;
        info.Number = errnum::Internal;
        info.Description = L"Internal error: " + std::wstring(e.what(), e.what() + std::strlen(e.what()));
        ReportUnhandledError(info);
    }
    return fallback;
}

}  // namespace rt
