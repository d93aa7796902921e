// The run-time error numbers the program raises and tests for, in one list, so
// that a raise and the check that explains it can never drift apart.
#pragma once

namespace rt::errnum {

constexpr long NoLeaveTracking = -1;        // the system offers no mouse-leave tracking
constexpr long InvalidCall = 5;             // "Invalid procedure call or argument"
constexpr long Overflow = 6;                // "Overflow"
constexpr long OutOfMemory = 7;             // "Out of memory"
constexpr long TypeMismatch = 13;           // "Type mismatch"
constexpr long Internal = 51;               // an error that is not a run-time error escaped
constexpr long InvalidPropertyValue = 380;  // "Invalid property value", also a malformed description
constexpr long UnknownControlType = 711;    // the description names a control type nobody registered
constexpr long CannotLoad = 745;            // a form, control or resource could not be made
constexpr long NoDesktopShell = 989;        // no desktop shell answered to open a page for the user
constexpr long PreviewUnavailable = 990;    // no scratch copy of the registry could be made
constexpr long Needs64BitWindows = 991;     // a 64-bit server on 32-bit Windows
constexpr long AnswerTooLong = 992;         // a server wrote into the 64-bit helper's answer
constexpr long HelperUnavailable = 993;     // the 64-bit helper could not be written or started
constexpr long NotAnswering = 994;          // a server that did not answer was ended
constexpr long HelperEnded = 995;           // the 64-bit helper ended without an answer
constexpr long ServerLoadException = 996;   // an exception escaped a server's DllMain while it loaded
constexpr long ServerException = 997;       // an exception escaped a server's export
constexpr long NotExported = 998;           // "not a exported function!"
constexpr long LibraryMissing = 999;        // "library missing!"

}  // namespace rt::errnum
