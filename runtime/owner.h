// One shape for everything this code must give back: kernel handles, keys,
// memory, libraries, windows, drawing objects, registrations. An owner holds
// one, cannot be copied, can be moved, and gives it back at scope end. What it
// holds and how it is given back is its traits' business:
//   using Type;              what is held
//   static void Free(Type);  gives it back
//   static bool Owns(Type);  whether a value is something to give back
//   static void Took(Type), Gave(Type); kCounted   for owners that are counted
#pragma once

#include <utility>

namespace rt {

// Traits for what is held as a pointer-like value, null meaning none, not counted.
template <class T>
struct Uncounted {
    using Type = T;
    static constexpr bool kCounted = false;
    static bool Owns(T value) { return value != T{}; }
    static void Took(T) {}
    static void Gave(T) {}
};

template <class Traits>
class Owner {
public:
    using Type = typename Traits::Type;

    Owner() = default;
    explicit Owner(Type value) { Adopt(value); }
    ~Owner() { Free(); }
    Owner(const Owner&) = delete;
    Owner& operator=(const Owner&) = delete;
    Owner(Owner&& other) noexcept : held_(std::exchange(other.held_, Type{})) {}
    Owner& operator=(Owner&& other) noexcept {
        if (this != &other) {
            Free();
            held_ = std::exchange(other.held_, Type{});
        }
        return *this;
    }

    Type Get() const { return Held(); }
    explicit operator bool() const { return Traits::Owns(held_); }
    // Gives it away; the caller gives it back.
    Type Release() {
        const Type held = Held();
        held_ = Type{};
        if (Traits::Owns(held)) Traits::Gave(held);
        return held;
    }
    void Reset(Type value = Type{}) {
        if (Traits::Owns(value) && value == held_) return;
        Free();
        Adopt(value);
    }
    // For functions that hand a value out through a pointer: the old one is
    // given back first. What they write may be a value that owns nothing.
    Type* Put() {
        static_assert(!Traits::kCounted, "a counted owner takes its value through Reset");
        Free();
        return &held_;
    }

private:
    Type Held() const { return Traits::Owns(held_) ? held_ : Type{}; }
    void Adopt(Type value) {
        held_ = Traits::Owns(value) ? value : Type{};
        if (Traits::Owns(held_)) Traits::Took(held_);
    }
    void Free() {
        const Type held = std::exchange(held_, Type{});
        if (!Traits::Owns(held)) return;
        Traits::Free(held);
        Traits::Gave(held);
    }

    Type held_{};
};

}  // namespace rt
