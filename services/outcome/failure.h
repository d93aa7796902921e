// Why a registration failed when the server's own HRESULT does not say it: the
// numbers a registration's error carries, each raised in one place and
// explained in one place.
#pragma once

namespace services::failure {

constexpr long PreviewUnavailable = 990;   // no scratch copy of the registry could be made
constexpr long Needs64BitWindows = 991;    // a 64-bit server on 32-bit Windows
constexpr long AnswerTooLong = 992;        // a server wrote into the 64-bit helper's answer
constexpr long HelperUnavailable = 993;    // the 64-bit helper could not be written or started
constexpr long NotAnswering = 994;         // a server that did not answer was ended
constexpr long HelperEnded = 995;          // the 64-bit helper ended without an answer
constexpr long ServerLoadException = 996;  // an exception escaped a server's DllMain while it loaded
constexpr long ServerException = 997;      // an exception escaped a server's export
constexpr long NotExported = 998;          // "not a exported function!"
constexpr long LibraryMissing = 999;       // "library missing!"

// How far a registration that failed with `number` got.
enum class Reached { NotLoaded, NoExport, ExportCalled };
constexpr Reached ReachedBy(long number) {
    switch (number) {
        case LibraryMissing:
        case Needs64BitWindows:
        case ServerLoadException:
        case HelperUnavailable:
            return Reached::NotLoaded;
        case NotExported:
            return Reached::NoExport;
        default:
            return Reached::ExportCalled;
    }
}

}  // namespace services::failure
