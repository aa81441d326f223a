// Scanning text for a few characters, 16 bytes at a time where the
// processor has SSE2 (a tail of a longer text as the last 16 bytes again),
// byte by byte elsewhere and for texts shorter than 16 bytes. The GPX
// copy, the comma scan, the GPX word search and the separator exchange of
// position lines all look for their characters so; the line reader takes
// the bits of 64 bytes at once (Mask64).
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace torvane {

// One to four characters looked for; each costs one comparison per block.
template <int N>
class ByteSet {
    static_assert(N >= 1 && N <= 4);

public:
    explicit ByteSet(char a, char b = 0, char c = 0, char d = 0) : chars_{a, b, c, d} {
#ifdef __SSE2__
        for (int i = 0; i < N; ++i) vectors_[i] = _mm_set1_epi8(chars_[i]);
#endif
    }

    bool Holds(char x) const {
        for (int i = 0; i < N; ++i) {
            if (x == chars_[i]) return true;
        }
        return false;
    }

#ifdef __SSE2__
    // One bit for each of the 16 bytes at `block` that is in the set.
    unsigned Mask16(const char* block) const {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block));
        __m128i hits = _mm_cmpeq_epi8(bytes, vectors_[0]);
        for (int i = 1; i < N; ++i) hits = _mm_or_si128(hits, _mm_cmpeq_epi8(bytes, vectors_[i]));
        return static_cast<unsigned>(_mm_movemask_epi8(hits));
    }
#endif

    // One bit for each of the 64 bytes at `block` that is in the set: bit i
    // for block[i].
    std::uint64_t Mask64(const char* block) const {
#ifdef __SSE2__
        const std::uint64_t low = Mask16(block) | Mask16(block + 16) << 16;
        const std::uint64_t high = Mask16(block + 32) | Mask16(block + 48) << 16;
        return low | high << 32;
#else
        std::uint64_t bits = 0;
        for (int i = 0; i < 64; ++i) bits |= static_cast<std::uint64_t>(Holds(block[i])) << i;
        return bits;
#endif
    }

private:
    char chars_[4];
#ifdef __SSE2__
    __m128i vectors_[N];
#endif
};

ByteSet(char) -> ByteSet<1>;
ByteSet(char, char) -> ByteSet<2>;
ByteSet(char, char, char) -> ByteSet<3>;
ByteSet(char, char, char, char) -> ByteSet<4>;

// Calls `onHit(offset)` for each byte of [data, data + size) in `set`, in
// order, as long as it returns true. Returns the offset where it stopped
// (of the hit that returned false), or `size`.
template <int N, class OnHit>
inline std::size_t ScanBytes(const char* data, std::size_t size, const ByteSet<N>& set, OnHit onHit) {
    std::size_t i = 0;
#ifdef __SSE2__
    // 32 bytes a step: one test for two blocks, most of which hold nothing.
    for (; i + 32 <= size; i += 32) {
        for (unsigned bits = set.Mask16(data + i) | set.Mask16(data + i + 16) << 16; bits != 0; bits &= bits - 1) {
            const std::size_t at = i + static_cast<std::size_t>(std::countr_zero(bits));
            if (!onHit(at)) return at;
        }
    }
    if (i + 16 <= size) {
        for (unsigned bits = set.Mask16(data + i); bits != 0; bits &= bits - 1) {
            const std::size_t at = i + static_cast<std::size_t>(std::countr_zero(bits));
            if (!onHit(at)) return at;
        }
        i += 16;
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
template <int N>
inline std::size_t FindFirstOf(const char* data, std::size_t size, const ByteSet<N>& set) {
    return ScanBytes(data, size, set, [](std::size_t) { return false; });
}

}  // namespace torvane
