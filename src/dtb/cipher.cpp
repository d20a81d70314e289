#include "cipher.h"

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define DTB_WIDE_CIPHER 1
#include <immintrin.h>
#endif

#include <algorithm>
#include <cstring>

void SeedCipher(CipherState* cipher, uint32_t key) {
    cipher->IndexA = kCipherLag;
    cipher->IndexB = 0;
    uint32_t s = key;
    for (int i = 0; i < kCipherTableSize; ++i) {
        s = s * 1103515245u + 12345u;
        uint32_t a = s;
        s = s * 1103515245u + 12345u;
        uint32_t b = s;
        cipher->Table[i] = (b & 0x7FFF0000u) | (a >> 16);
    }
}

uint8_t NextCipherByte(CipherState* cipher, uint8_t byte) {
    uint32_t* t = cipher->Table;
    uint32_t x = t[cipher->IndexA] ^ t[cipher->IndexB];
    t[cipher->IndexB] = x;
    if (++cipher->IndexA == kCipherRing) cipher->IndexA = 0;
    if (++cipher->IndexB == kCipherRing) cipher->IndexB = 0;
    return static_cast<uint8_t>(byte ^ x);
}

namespace {

const int32_t kSplit = kCipherRing - kCipherLag;  // 146: where A wraps

inline int32_t LaggedIndex(int32_t b) { return b < kSplit ? b + kCipherLag : b - kSplit; }

// The byte loop is the definition; the variants below walk the ring in runs
// instead. With B the written index, A = B + 103 while B < 146 and A = B - 146
// after, so between the wraps both indices move through contiguous words.
//
// This one keeps a run to at most 103 steps, so that it writes t[B..B+n) and
// reads t[A..A+n), two ranges that cannot overlap: every step of a run is
// then independent and the compiler may vectorise it.
void ApplyPortable(CipherState* cipher, uint8_t* buffer, int64_t start, int64_t count) {
    uint32_t* t = cipher->Table;
    int32_t b = cipher->IndexB;
    uint8_t* p = buffer + start;
    while (count > 0) {
        int32_t a = LaggedIndex(b);
        int32_t run = (b < kSplit ? kSplit : kCipherRing) - b;
        if (run > kCipherLag) run = kCipherLag;
        if (run > count) run = static_cast<int32_t>(count);
        uint32_t* __restrict w = t + b;
        const uint32_t* __restrict r = t + a;
        uint8_t* __restrict out = p;
        for (int32_t k = 0; k < run; ++k) {
            uint32_t x = w[k] ^ r[k];
            w[k] = x;
            out[k] ^= static_cast<uint8_t>(x);
        }
        p += run;
        count -= run;
        b += run;
        if (b == kCipherRing) b = 0;
    }
    cipher->IndexB = b;
    cipher->IndexA = LaggedIndex(b);
}

#ifdef DTB_WIDE_CIPHER
// The explicit vectors take whole runs between the wraps (146 and 103 steps)
// in order, a vector of V steps reading all its lagged words before writing.
// That is the byte loop's result as long as no step reads a word written by
// an earlier step of its own vector: the word step j reads was last written
// 146 steps before it (mod 249), never within V < 103 steps.

// The steps from the written index b to the next wrap, at most count; a
// receives the lagged index.
inline int32_t RunFrom(int32_t b, int64_t count, int32_t* a) {
    *a = LaggedIndex(b);
    int32_t run = (b < kSplit ? kSplit : kCipherRing) - b;
    return static_cast<int32_t>(std::min<int64_t>(count, run));
}

// The low bytes of eight words, in order, in the first eight bytes.
__attribute__((target("avx2"))) inline __m128i LowBytes(__m256i x) {
    // The low byte of each word to the first four bytes of its lane, then
    // the two lanes' first four bytes together.
    const __m256i low = _mm256_setr_epi8(0, 4, 8, 12, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, 0, 4, 8, 12, -1,
                                         -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1);
    const __m256i join = _mm256_setr_epi32(0, 4, 0, 0, 0, 0, 0, 0);
    return _mm256_castsi256_si128(_mm256_permutevar8x32_epi32(_mm256_shuffle_epi8(x, low), join));
}

// The ring's runs eight steps at a time. Laid out as a line (as below for
// AVX-512), AVX2 gained nothing: its cross-lane shifts cost what the stalls did.
__attribute__((target("avx2"))) void ApplyAvx2(CipherState* cipher, uint8_t* buffer, int64_t start, int64_t count) {
    uint8_t* p = buffer + start;
    uint32_t* t = cipher->Table;
    int32_t b = cipher->IndexB;
    while (count > 0) {
        int32_t a = 0;
        int32_t run = RunFrom(b, count, &a);
        uint32_t* w = t + b;
        const uint32_t* r = t + a;
        int32_t k = 0;
        for (; k + 8 <= run; k += 8) {
            __m256i x = _mm256_xor_si256(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(w + k)),
                                         _mm256_loadu_si256(reinterpret_cast<const __m256i*>(r + k)));
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(w + k), x);
            __m128i* out = reinterpret_cast<__m128i*>(p + k);
            _mm_storel_epi64(out, _mm_xor_si128(_mm_loadl_epi64(out), LowBytes(x)));
        }
        for (; k < run; ++k) {
            uint32_t x = w[k] ^ r[k];
            w[k] = x;
            p[k] ^= static_cast<uint8_t>(x);
        }
        p += run;
        count -= run;
        b += run;
        if (b == kCipherRing) b = 0;
    }
    cipher->IndexB = b;
    cipher->IndexA = LaggedIndex(b);
}

// In the ring, a vector's lagged words straddle two recent stores, which the
// CPU cannot forward: it waits for them to reach the cache. Long calls lay
// the ring out as a line instead, where word n = word n-146 ^ word n-249 and
// every load and store is one aligned vector; the lagged words are cut from
// two neighbours in registers. The line holds the 249 latest words at
// [7, 256) (oldest first: the ring from B on) and then a window of new ones.
const int32_t kLineHistory = 256;
const int32_t kLineWindow = 2048;
const int32_t kLineFrom = 1024;  // shorter calls stay in the ring: laying it out costs some 500 words' copying

void RingToLine(const CipherState* cipher, uint32_t* line) {
    const uint32_t* t = cipher->Table;
    uint32_t* oldest = line + kLineHistory - kCipherRing;
    int32_t b = cipher->IndexB;
    std::memcpy(oldest, t + b, static_cast<size_t>(kCipherRing - b) * 4);
    std::memcpy(oldest + kCipherRing - b, t, static_cast<size_t>(b) * 4);
}

// end: one past the latest word; the ring is advanced by steps.
void LineToRing(const uint32_t* end, int64_t steps, CipherState* cipher) {
    uint32_t* t = cipher->Table;
    int32_t b = static_cast<int32_t>((cipher->IndexB + steps) % kCipherRing);
    const uint32_t* oldest = end - kCipherRing;
    std::memcpy(t + b, oldest, static_cast<size_t>(kCipherRing - b) * 4);
    std::memcpy(t, oldest + kCipherRing - b, static_cast<size_t>(b) * 4);
    cipher->IndexB = b;
    cipher->IndexA = LaggedIndex(b);
}

__attribute__((target("avx512f,avx512bw,avx512vl"))) void Avx512Ring(CipherState* cipher, uint8_t* p, int64_t count) {
    uint32_t* t = cipher->Table;
    int32_t b = cipher->IndexB;
    while (count > 0) {
        int32_t a = 0;
        int32_t run = RunFrom(b, count, &a);
        uint32_t* w = t + b;
        const uint32_t* r = t + a;
        int32_t k = 0;
        for (; k + 16 <= run; k += 16) {
            __m512i x = _mm512_xor_si512(_mm512_loadu_si512(w + k), _mm512_loadu_si512(r + k));
            _mm512_storeu_si512(w + k, x);
            __m128i* out = reinterpret_cast<__m128i*>(p + k);
            _mm_storeu_si128(out, _mm_xor_si128(_mm_loadu_si128(out), _mm512_maskz_cvtepi32_epi8(0xFFFF, x)));
        }
        if (k < run) {  // the masked lanes are neither read nor written
            __mmask16 m = static_cast<__mmask16>((1u << (run - k)) - 1);
            __m512i x = _mm512_xor_si512(_mm512_maskz_loadu_epi32(m, w + k), _mm512_maskz_loadu_epi32(m, r + k));
            _mm512_mask_storeu_epi32(w + k, m, x);
            __m128i bytes = _mm_maskz_loadu_epi8(m, p + k);
            _mm_mask_storeu_epi8(p + k, m, _mm_xor_si128(bytes, _mm512_maskz_cvtepi32_epi8(0xFFFF, x)));
        }
        p += run;
        count -= run;
        b += run;
        if (b == kCipherRing) b = 0;
    }
    cipher->IndexB = b;
    cipher->IndexA = LaggedIndex(b);
}

// The next 16 words of the line at next: word n = word n-146 ^ word n-249,
// the lagged words cut from the two neighbours held in near and far.
__attribute__((target("avx512f,avx512bw,avx512vl"))) inline __m512i Avx512LineStep(uint32_t* next, __m512i* near,
                                                                                   __m512i* far) {
    __m512i nearNext = _mm512_load_si512(next - 144), farNext = _mm512_load_si512(next - 240);
    __m512i x = _mm512_xor_si512(_mm512_maskz_alignr_epi32(0xFFFF, nearNext, *near, 14),
                                 _mm512_maskz_alignr_epi32(0xFFFF, farNext, *far, 7));
    _mm512_store_si512(next, x);
    *near = nearNext, *far = farNext;
    return x;
}

// The line's steps 64 at a time, while at least 64 are left; returns how many
// were taken. Narrowing each 16 words to their low bytes on its own costs two
// shuffles a vector on the port that also does the alignment, which is then
// the limit; four vectors are instead merged by shifts into one, whose bytes
// two shuffles put in order.
__attribute__((target("avx512f,avx512bw,avx512vl"))) int32_t Avx512LineBy64(uint32_t* next, int32_t steps, uint8_t* p,
                                                                            __m512i* near, __m512i* far) {
    // Byte j of word m in each lane of four words is the low byte of vector j's
    // word m: each lane to vector order, then the lanes' words to stream order.
    const __m512i lanes =
        _mm512_maskz_broadcast_i32x4(0xFFFF, _mm_setr_epi8(0, 4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15));
    const __m512i order = _mm512_setr_epi32(0, 4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15);
    const __m512i byte1 = _mm512_set1_epi32(0xFF00), byte2 = _mm512_set1_epi32(0xFF0000);
    const __m512i byte0 = _mm512_set1_epi32(0xFF);
    int32_t k = 0;
    for (; k + 64 <= steps; k += 64) {
        __m512i x0 = Avx512LineStep(next + k, near, far), x1 = Avx512LineStep(next + k + 16, near, far);
        __m512i x2 = Avx512LineStep(next + k + 32, near, far), x3 = Avx512LineStep(next + k + 48, near, far);
        // (a | (b & c)) three times: byte 3 from x3, byte 2 from x2, ...
        __m512i w = _mm512_maskz_ternarylogic_epi32(0xFFFF, _mm512_maskz_slli_epi32(0xFFFF, x3, 24),
                                                    _mm512_maskz_slli_epi32(0xFFFF, x2, 16), byte2, 0xF8);
        w = _mm512_maskz_ternarylogic_epi32(0xFFFF, w, _mm512_maskz_slli_epi32(0xFFFF, x1, 8), byte1, 0xF8);
        w = _mm512_maskz_ternarylogic_epi32(0xFFFF, w, x0, byte0, 0xF8);
        __m512i key = _mm512_maskz_permutexvar_epi32(0xFFFF, order, _mm512_maskz_shuffle_epi8(~0ull, w, lanes));
        _mm512_storeu_si512(p + k, _mm512_xor_si512(_mm512_loadu_si512(p + k), key));
    }
    return k;
}

__attribute__((target("avx512f,avx512bw,avx512vl"))) void ApplyAvx512(CipherState* cipher, uint8_t* buffer,
                                                                      int64_t start, int64_t count) {
    uint8_t* p = buffer + start;
    if (count < kLineFrom) return Avx512Ring(cipher, p, count);
    // Aligned by hand: mingw-w64 does not realign the stack for alignas.
    uint32_t room[kLineHistory + kLineWindow + 16];
    uint32_t* line = room + (-(reinterpret_cast<uintptr_t>(room) / 4) & 15);
    RingToLine(cipher, line);
    int32_t steps = 0;
    for (int64_t left = count; left > 0; left -= steps, p += steps) {
        if (steps > 0) std::memcpy(line, line + steps, kLineHistory * 4);
        steps = left < kLineWindow ? static_cast<int32_t>(left) : kLineWindow;
        uint32_t* next = line + kLineHistory;
        __m512i near = _mm512_load_si512(next - 160), far = _mm512_load_si512(next - 256);
        int32_t k = Avx512LineBy64(next, steps, p, &near, &far);
        for (; k < steps; k += 16) {
            __m512i nearNext = _mm512_load_si512(next + k - 144), farNext = _mm512_load_si512(next + k - 240);
            __m512i x = _mm512_xor_si512(_mm512_maskz_alignr_epi32(0xFFFF, nearNext, near, 14),
                                         _mm512_maskz_alignr_epi32(0xFFFF, farNext, far, 7));
            _mm512_store_si512(next + k, x);
            near = nearNext, far = farNext;
            __m128i key = _mm512_maskz_cvtepi32_epi8(0xFFFF, x);
            __m128i* out = reinterpret_cast<__m128i*>(p + k);
            if (steps - k >= 16) {
                _mm_storeu_si128(out, _mm_xor_si128(_mm_loadu_si128(out), key));
            } else {  // masked stores are slow: only the last vector of a call takes one
                __mmask16 m = static_cast<__mmask16>((1u << (steps - k)) - 1);
                _mm_mask_storeu_epi8(out, m, _mm_xor_si128(_mm_maskz_loadu_epi8(m, out), key));
            }
        }
    }
    LineToRing(line + kLineHistory + steps, count, cipher);
}
#endif

const CipherVariant kVariants[] = {
    {"portable", ApplyPortable},
#ifdef DTB_WIDE_CIPHER
    {"avx2", ApplyAvx2},
    {"avx512", ApplyAvx512},
#endif
};

// How many of kVariants this CPU (and its system, which must save the wider
// registers) can run: they are listed from the narrowest up.
int32_t SupportedVariants() {
#ifdef DTB_WIDE_CIPHER
    __builtin_cpu_init();
    if (!__builtin_cpu_supports("avx2")) return 1;
    bool wide =
        __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vl");
    return wide ? 3 : 2;
#else
    return 1;
#endif
}

}  // namespace

int32_t CipherVariants(const CipherVariant** variants) {
    static const int32_t supported = SupportedVariants();
    *variants = kVariants;
    return supported;
}

void ApplyCipher(CipherState* cipher, uint8_t* buffer, int64_t start, int64_t count) {
    static const CipherVariant& widest = kVariants[SupportedVariants() - 1];
    widest.Apply(cipher, buffer, start, count);
}
