#include "bulk_copy.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// Shorter copies are taken by memcpy: what a streaming store saves is a
// line's fetch, and a copy this short leaves most of its lines part-written.
const size_t kAroundFrom = 256;

}  // namespace

void CopyAround(uint8_t* to, const uint8_t* from, size_t n) {
#if defined(__SSE2__)
    if (n >= kAroundFrom) {
        // Whole cache lines only: the part before the first and after the
        // last goes through the cache.
        size_t head = static_cast<size_t>(-reinterpret_cast<uintptr_t>(to) & 63);
        std::memcpy(to, from, head);
        to += head, from += head, n -= head;
        for (; n >= 64; n -= 64, to += 64, from += 64) {
            const __m128i* in = reinterpret_cast<const __m128i*>(from);
            __m128i* out = reinterpret_cast<__m128i*>(to);
            __m128i a = _mm_loadu_si128(in), b = _mm_loadu_si128(in + 1);
            __m128i c = _mm_loadu_si128(in + 2), d = _mm_loadu_si128(in + 3);
            _mm_stream_si128(out, a), _mm_stream_si128(out + 1, b);
            _mm_stream_si128(out + 2, c), _mm_stream_si128(out + 3, d);
        }
    }
#endif
    std::memcpy(to, from, n);
}

void FinishCopiesAround() {
#if defined(__SSE2__)
    _mm_sfence();
#endif
}
