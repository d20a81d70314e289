// The file cipher: a lagged-Fibonacci XOR keystream (ring of 249 words, lag
// 103) seeded from the key by a linear congruential generator. Enciphering
// and deciphering are the same operation.
#pragma once

#include <cstdint>

#include "document.h"

// The keystream's state: a ring of 249 words in a table of 256.
const int32_t kCipherTableSize = 256;
struct CipherState {
    uint32_t Table[kCipherTableSize];
    int32_t IndexA;  // the lagged index
    int32_t IndexB;  // the index written
};

const int32_t kCipherRing = 249;
const int32_t kCipherLag = 103;

void SeedCipher(CipherState* cipher, uint32_t key);
// The byte XOR the next keystream byte; advances the state one step.
uint8_t NextCipherByte(CipherState* cipher, uint8_t byte);
// Applies NextCipherByte to buffer[start .. start + count - 1] in order, with
// the widest vectors the CPU has.
void ApplyCipher(CipherState* cipher, uint8_t* buffer, int64_t start, int64_t count);

// The ways ApplyCipher can be carried out, all with the byte loop's result:
// the portable loop first, then wider vectors. *variants receives the list;
// the count returned is how many of them this CPU runs, and ApplyCipher uses
// the last of those.
struct CipherVariant {
    const char* Name;
    void (*Apply)(CipherState* cipher, uint8_t* buffer, int64_t start, int64_t count);
};
int32_t CipherVariants(const CipherVariant** variants);
