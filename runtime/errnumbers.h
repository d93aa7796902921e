// The run-time error numbers the runtime raises and tests for, in one list, so
// that a raise and the check that explains it can never drift apart. The
// registration's own numbers live with its outcome (services/call/failure.h).
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

}  // namespace rt::errnum
