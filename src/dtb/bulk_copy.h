// Copying many bytes that will not be read again soon, such as a file's
// payloads on their way into the pool: where the CPU has them, with stores
// that go around the cache, so that what the destination held before is
// never fetched from memory only to be overwritten.
#pragma once

#include <cstddef>
#include <cstdint>

// memcpy's result (the ranges must not overlap).
void CopyAround(uint8_t* to, const uint8_t* from, size_t n);
// Makes the copies so far visible to every thread as ordinary stores are;
// once after a run of them, before anything else may look at what they wrote.
void FinishCopiesAround();
