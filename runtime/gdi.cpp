#include "gdi.h"

#include <atomic>

namespace rt::gdi {
namespace {
// Drawing runs on window threads, but a picture may be decoded anywhere: count atomically.
std::atomic<long> liveObjects{0};
}  // namespace

long LiveObjects() { return liveObjects.load(); }

namespace detail {
void Created(const void* handle) {
    if (handle) ++liveObjects;
}
void Freed(const void* handle) {
    if (handle) --liveObjects;
}
}  // namespace detail

}  // namespace rt::gdi
