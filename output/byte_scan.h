// Scanning text for a few characters, 16 bytes at a time where the
// processor has SSE2 (a tail of a longer text as the last 16 bytes again),
// byte by byte elsewhere and for texts shorter than 16 bytes. The line
// reader, the GPX copy, the comma scan, the GPX word search and the
// separator exchange of position lines all look for their characters so.
#pragma once

#include <bit>
#include <cstddef>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace torvane {

// Up to four characters looked for (repeat one to look for fewer).
class ByteSet {
public:
    ByteSet(char a, char b, char c, char d) : a_(a), b_(b), c_(c), d_(d) {
#ifdef __SSE2__
        va_ = _mm_set1_epi8(a);
        vb_ = _mm_set1_epi8(b);
        vc_ = _mm_set1_epi8(c);
        vd_ = _mm_set1_epi8(d);
#endif
    }
    ByteSet(char a, char b, char c) : ByteSet(a, b, c, c) {}
    ByteSet(char a, char b) : ByteSet(a, b, b, b) {}
    explicit ByteSet(char a) : ByteSet(a, a, a, a) {}

    bool Holds(char x) const { return x == a_ || x == b_ || x == c_ || x == d_; }

#ifdef __SSE2__
    // One bit for each of the 16 bytes at `block` that is in the set.
    unsigned Mask16(const char* block) const {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block));
        const __m128i hits = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(bytes, va_), _mm_cmpeq_epi8(bytes, vb_)),
                                          _mm_or_si128(_mm_cmpeq_epi8(bytes, vc_), _mm_cmpeq_epi8(bytes, vd_)));
        return static_cast<unsigned>(_mm_movemask_epi8(hits));
    }
#endif

private:
    char a_, b_, c_, d_;
#ifdef __SSE2__
    __m128i va_, vb_, vc_, vd_;
#endif
};

// Calls `onHit(offset)` for each byte of [data, data + size) in `set`, in
// order, as long as it returns true. Returns the offset where it stopped
// (of the hit that returned false), or `size`.
template <class OnHit>
inline std::size_t ScanBytes(const char* data, std::size_t size, const ByteSet& set, OnHit onHit) {
    std::size_t i = 0;
#ifdef __SSE2__
    for (; i + 16 <= size; i += 16) {
        for (unsigned bits = set.Mask16(data + i); bits != 0; bits &= bits - 1) {
            const std::size_t at = i + static_cast<std::size_t>(std::countr_zero(bits));
            if (!onHit(at)) return at;
        }
    }
    if (i < size && size >= 16) {
        // The last 16 bytes once more, less those looked at already.
        const std::size_t base = size - 16;
        for (unsigned bits = set.Mask16(data + base) >> (i - base); bits != 0; bits &= bits - 1) {
            const std::size_t at = i + static_cast<std::size_t>(std::countr_zero(bits));
            if (!onHit(at)) return at;
        }
        return size;
    }
#endif
    for (; i < size; ++i) {
        if (set.Holds(data[i]) && !onHit(i)) return i;
    }
    return size;
}

// The offset of the first byte of [data, data + size) in `set`, or `size`.
inline std::size_t FindFirstOf(const char* data, std::size_t size, const ByteSet& set) {
    return ScanBytes(data, size, set, [](std::size_t) { return false; });
}

}  // namespace torvane
