// Arbitrary bytes as a DTB file. What the reader makes of them must not depend on how the file arrives, and a file it
// accepted must save back to its own bytes and load again to the same table.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include "chunk_types.h"
#include "dtb_kit.h"

#define REQUIRE(cond) \
    ((cond) ? void() : (std::fprintf(stderr, "REQUIRE failed: %s (line %d)\n", #cond, __LINE__), std::abort()))

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemoryFile whole(std::vector<uint8_t>(data, data + size));
    TestDocument first;
    int32_t result = first.Load(&whole);
    REQUIRE(result == 0 || result == -1);

    // The same file in short reads (the key still in one), so that every
    // split of the header and of a chunk between reads turns up somewhere.
    MemoryFile trickle(whole.bytes);
    trickle.readStep = size ? 4 + (data[size - 1] + static_cast<int32_t>(size)) % 97 : 4;
    TestDocument second;
    REQUIRE(second.Load(&trickle) == result);
    REQUIRE(first->Key == second->Key && first.Rows() == second.Rows() && first.log() == second.log());
    if (result != 0) return 0;

    // Saved with no change, the file comes back as it was, up to the last
    // whole chunk; a header cut short is saved as seven zero bytes.
    size_t loaded = 4 + kHeaderSize;
    for (int32_t i = 0; i < first->ChunkCount; ++i) loaded += static_cast<size_t>(EncodedChunkSize(first.chunk(i)));
    MemoryFile saved(first.Saved());  // empty if the write failed
    REQUIRE(saved.bytes.size() == loaded);
    REQUIRE(first->Incomplete == (size != loaded));  // a key alone gets a header it never had
    if (size >= loaded) REQUIRE(std::memcmp(saved.bytes.data(), data, loaded) == 0);
    if (size < loaded) REQUIRE(first->ChunkCount == 0);

    TestDocument again;
    REQUIRE(again.Load(&saved) == 0);
    REQUIRE(again->Key == first->Key && again.Rows() == first.Rows() && again.messages.empty());
    return 0;
}
