#include "gdihandles.h"

namespace aero::gdi {
namespace {
// Painting runs on the window thread only, so a plain counter is enough.
long liveObjects = 0;
}  // namespace

long LiveObjects() { return liveObjects; }

namespace detail {
void Created(const void* handle) {
    if (handle) ++liveObjects;
}
void Freed(const void* handle) {
    if (handle) --liveObjects;
}
}  // namespace detail

}  // namespace aero::gdi
