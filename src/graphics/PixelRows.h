#pragma once
// Row primitives of the rectangle engine: keyed copy, compose, swap and
// colour exchange, sixteen pixels at a time with the
// compiler's generic vectors, then the remaining pixels one by one.

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace fer::pixel_rows {

using Lanes = uint8_t __attribute__((vector_size(16)));

inline Lanes load(const uint8_t* p) {
    Lanes v;
    std::memcpy(&v, p, sizeof v);
    return v;
}
inline void store(uint8_t* p, Lanes v) {
    std::memcpy(p, &v, sizeof v);
}
inline Lanes splat(uint8_t b) {
    return Lanes{} + b;
}
// All ones in the lanes where a equals b.
inline Lanes equal(Lanes a, Lanes b) {
    return reinterpret_cast<Lanes>(a == b);
}

// out[i] = in[i] wherever in[i] != key. The rows must not overlap.
inline void keyed(uint8_t* out, const uint8_t* in, size_t n, uint8_t key) {
    size_t i = 0;
    const Lanes k = splat(key);
    for (; i + 16 <= n; i += 16) {
        const Lanes s = load(in + i);
        const Lanes d = load(out + i);
        const Lanes keep = equal(s, k);
        store(out + i, (d & keep) | (s & ~keep));
    }
    for (; i < n; ++i)
        if (in[i] != key) out[i] = in[i];
}

// out[i] = fg[i] where fg[i] != key, else bg[i]. out overlaps neither input.
inline void compose(uint8_t* out, const uint8_t* fg, const uint8_t* bg, size_t n, uint8_t key) {
    size_t i = 0;
    const Lanes k = splat(key);
    for (; i + 16 <= n; i += 16) {
        const Lanes f = load(fg + i);
        const Lanes keep = equal(f, k);
        store(out + i, (load(bg + i) & keep) | (f & ~keep));
    }
    for (; i < n; ++i) out[i] = fg[i] != key ? fg[i] : bg[i];
}

// Swaps two rows that do not overlap.
inline void swap(uint8_t* a, uint8_t* b, size_t n) {
    size_t i = 0;
    for (; i + 16 <= n; i += 16) {
        const Lanes va = load(a + i);
        store(a + i, load(b + i));
        store(b + i, va);
    }
    for (; i < n; ++i) {
        const uint8_t t = a[i];
        a[i] = b[i];
        b[i] = t;
    }
}

// Pixels equal to a become b and pixels equal to b become a.
inline void swapColours(uint8_t* p, size_t n, uint8_t a, uint8_t b) {
    size_t i = 0;
    const Lanes va = splat(a);
    const Lanes vb = splat(b);
    for (; i + 16 <= n; i += 16) {
        const Lanes v = load(p + i);
        const Lanes isA = equal(v, va);
        const Lanes isB = equal(v, vb);
        store(p + i, (vb & isA) | (va & isB & ~isA) | (v & ~(isA | isB)));
    }
    for (; i < n; ++i) p[i] = p[i] == a ? b : (p[i] == b ? a : p[i]);
}

} // namespace fer::pixel_rows
