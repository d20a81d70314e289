#include "cipher.h"

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

// The byte loop is the definition; this walks the ring in runs instead. With
// B the written index, A = B + 103 while B < 146 and A = B - 146 after, so a
// run of at most 103 steps that crosses neither wrap writes t[B..B+n) and
// reads t[A..A+n), two ranges that cannot overlap. Every step of a run is then
// independent and the compiler may vectorise it, with exactly the result of
// the byte loop.
void ApplyCipher(CipherState* cipher, uint8_t* buffer, int64_t start, int64_t count) {
    uint32_t* t = cipher->Table;
    int32_t b = cipher->IndexB;
    uint8_t* p = buffer + start;
    const int32_t split = kCipherRing - kCipherLag;  // 146: where A wraps
    while (count > 0) {
        int32_t a = b < split ? b + kCipherLag : b - split;
        int32_t run = (b < split ? split : kCipherRing) - b;
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
    cipher->IndexA = b < split ? b + kCipherLag : b - split;
}
