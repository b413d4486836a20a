#pragma once
// Eight UTF-16 code units, or sixteen bytes, at a time, for the few loops that
// look at every character of a whole essay. Written with the vector extensions of GCC and Clang,
// which turn them into the machine's SIMD instructions (SSE2 on x86-64, NEON
// on ARM) or into plain code where there are none.
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace tallix::lanes {

inline constexpr std::size_t Width = 8;

using Units = std::uint16_t __attribute__((vector_size(16)));
// A comparison's result: all ones in a lane where it holds, zero elsewhere.
using Mask = std::int16_t __attribute__((vector_size(16)));

inline Units load(const char16_t* p) {
    Units v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

inline Units splat(char16_t c) { return Units{} + std::uint16_t(c); }

inline bool any(Mask m) {
    std::uint64_t w[2];
    std::memcpy(w, &m, sizeof w);
    return (w[0] | w[1]) != 0;
}

// The first lane of m that is set; m must have one.
inline std::size_t firstSet(Mask m) {
    if constexpr (std::endian::native != std::endian::little) {
        std::size_t i = 0;
        while (m[i] == 0)
            ++i;
        return i;
    }
    std::uint64_t w[2];
    std::memcpy(w, &m, sizeof w);
    return w[0] != 0 ? std::size_t(__builtin_ctzll(w[0]) / 16) : 4 + std::size_t(__builtin_ctzll(w[1]) / 16);
}

// The first position from `from` on where p holds a or b, or n when none does.
inline std::size_t findEither(const char16_t* p, std::size_t from, std::size_t n, char16_t a, char16_t b) {
    const Units va = splat(a), vb = splat(b);
    for (; from + Width <= n; from += Width) {
        const Units v = load(p + from);
        const Mask m = (v == va) | (v == vb);
        if (any(m))
            return from + firstSet(m);
    }
    for (; from < n; ++from)
        if (p[from] == a || p[from] == b)
            return from;
    return n;
}

// The first position from `from` on where p holds a character below a space
// (a control character, TAB and line breaks among them), or n when none does.
inline std::size_t findBelowSpace(const char16_t* p, std::size_t from, std::size_t n) {
    const Units space = splat(u' ');
    for (; from + Width <= n; from += Width) {
        const Mask m = load(p + from) < space;
        if (any(m))
            return from + firstSet(m);
    }
    for (; from < n; ++from)
        if (p[from] < u' ')
            return from;
    return n;
}

// Adds up the lanes (each a count, negated: a mask subtracted from a sum).
inline long sumNegated(Mask m) {
    long s = 0;
    for (std::size_t i = 0; i < Width; ++i)
        s -= m[i];
    return s;
}

// Sixteen bytes.
inline constexpr std::size_t ByteWidth = 16;
using Bytes = std::uint8_t __attribute__((vector_size(16)));
using ByteMask = std::int8_t __attribute__((vector_size(16)));

inline Bytes loadBytes(const char* p) {
    Bytes v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

inline bool any(ByteMask m) {
    std::uint64_t w[2];
    std::memcpy(w, &m, sizeof w);
    return (w[0] | w[1]) != 0;
}

inline std::size_t firstSet(ByteMask m) {
    if constexpr (std::endian::native != std::endian::little) {
        std::size_t i = 0;
        while (m[i] == 0)
            ++i;
        return i;
    }
    std::uint64_t w[2];
    std::memcpy(w, &m, sizeof w);
    return w[0] != 0 ? std::size_t(__builtin_ctzll(w[0]) / 8) : 8 + std::size_t(__builtin_ctzll(w[1]) / 8);
}

// Bytes of Latin-1 (ASCII included) as UTF-16 code units: n bytes from `from`
// to `to`, eight at a time.
inline void widen(const char* from, std::size_t n, char16_t* to) {
    using Half = std::uint8_t __attribute__((vector_size(8)));
    std::size_t i = 0;
    for (; i + Width <= n; i += Width) {
        Half h;
        std::memcpy(&h, from + i, sizeof h);
        const Units u = __builtin_convertvector(h, Units);
        std::memcpy(to + i, &u, sizeof u);
    }
    for (; i < n; ++i)
        to[i] = static_cast<unsigned char>(from[i]);
}

// UTF-16 code units below 0x100 as bytes: n units from `from` to `to`, eight at
// a time (the opposite of widen).
inline void narrow(const char16_t* from, std::size_t n, char* to) {
    using Half = std::uint8_t __attribute__((vector_size(8)));
    std::size_t i = 0;
    for (; i + Width <= n; i += Width) {
        const Half h = __builtin_convertvector(load(from + i), Half);
        std::memcpy(to + i, &h, sizeof h);
    }
    for (; i < n; ++i)
        to[i] = static_cast<char>(from[i]);
}

} // namespace tallix::lanes
